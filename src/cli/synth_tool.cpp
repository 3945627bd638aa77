#include "cli/synth_tool.h"

#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/posix/posix_files.h"
#include "storage/replacement_file.h"

namespace {

struct CommandOption {
  const char* name;
  bool takesValue;
  bool required;
};

struct Command {
  const char* name;
  const char* synopsis;  // the arguments after the command's name
  const char* summary;
  const char* details;
  CommandOption options[3];
  size_t operandCount;
  int (*run)(const CommandArguments&);
};

const Command kCommands[] = {
    {"build",
     "-o OUT.syn P1 P2 P3 P4 TRI N1 N2",
     "bundle seven sample files into a Synth file",
     "Writes the Synth file the composer's \"Save...\" writes from the same seven sample\n"
     "files, in row order: the four pulse waves, the triangle wave, the two noise waves.\n"
     "Each file contributes its first 524,288 bytes. An existing OUT.syn is replaced only\n"
     "once the new file is complete on disk; on failure it is left as it was.\n",
     {{"-o", true, true}},
     7,
     RunBuild},
    {"info",
     "FILE.syn",
     "list a Synth file's blocks and check that it is well formed",
     "Prints the seven blocks in row order with their captions, lengths in bytes and\n"
     "durations at 44,100 samples per second, or says what is wrong with the file.\n",
     {},
     1,
     RunInfo},
    {"extract",
     "FILE.syn [-d DIR]",
     "write a Synth file's seven samples back out",
     "Writes pulse1.pcm, pulse2.pcm, pulse3.pcm, pulse4.pcm, triangle.pcm, noise1.pcm\n"
     "and noise2.pcm into DIR (default: the current folder, created when missing). A file\n"
     "that is not a well-formed Synth file is refused and nothing is written.\n",
     {{"-d", true, false}},
     1,
     RunExtract},
    {"render",
     "WAVE [-o OUT] [--seconds S] [--wav]",
     "write a built-in wave",
     "Writes the wave as the composer's preview makes it: pulse12, pulse25, pulse50,\n"
     "pulse75, triangle, noise or looped-noise. Noise starts from the random source's\n"
     "first value, as the first noise preview does. S seconds (default 5, at most 600)\n"
     "of 16-bit mono samples at 44,100 Hz, headerless, or as a WAV file with --wav.\n"
     "OUT defaults to WAVE.pcm, or WAVE.wav with --wav.\n",
     {{"-o", true, false}, {"--seconds", true, false}, {"--wav", false, false}},
     1,
     RunRender},
    {"convert",
     "IN OUT.pcm",
     "turn an audio file into a sample for a row",
     "Decodes any audio file libsndfile reads (WAV, FLAC, Ogg, AIFF, ...), mixes it to\n"
     "mono, resamples it to 44,100 Hz and writes 16-bit little-endian samples.\n",
     {},
     2,
     RunConvert},
};

constexpr char kProgram[] = "brivola-syn";

void PrintProgramHelp(FILE* to) {
  std::fprintf(to, "Usage: %s COMMAND [ARGUMENTS]\n\n", kProgram);
  std::fprintf(to, "The Synth file (\".syn\") tools of Brivola Synthesis Composer.\n\nCommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(to, "  %s %s\n      %s\n", command.name, command.synopsis, command.summary);
  }
  std::fprintf(to,
               "\nRun '%s COMMAND --help' for a command's details; '%s --version' for the "
               "version.\nExit codes: 0 done, 1 failed, 2 usage error.\n",
               kProgram, kProgram);
}

void PrintCommandHelp(const Command& command) {
  std::printf("Usage: %s %s %s\n\n%s", kProgram, command.name, command.synopsis, command.details);
}

const CommandOption* FindOption(const Command& command, const std::string& word) {
  for (const CommandOption& option : command.options) {
    if (option.name != nullptr && word == option.name) return &option;
  }
  return nullptr;
}

int RunCommand(const Command& command, int count, char** words) {
  CommandArguments arguments;
  bool optionsEnded = false;
  for (int i = 0; i < count; ++i) {
    const std::string word = words[i];
    if (!optionsEnded && (word == "--help" || word == "-h")) {
      PrintCommandHelp(command);
      return kExitDone;
    }
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (optionsEnded || word.size() < 2 || word[0] != '-') {
      arguments.operands.push_back(word);
    } else if (const CommandOption* option = FindOption(command, word)) {
      if (arguments.options.count(word) != 0) {
        return ReportUsageError(word + " given twice", command.name);
      }
      if (option->takesValue && i + 1 == count) {
        return ReportUsageError(word + " needs a value", command.name);
      }
      arguments.options[word] = option->takesValue ? words[++i] : "";
    } else {
      return ReportUsageError("unknown option " + word, command.name);
    }
  }
  if (arguments.operands.size() != command.operandCount) {
    return ReportUsageError(std::string(command.name) + " takes " +
                                std::to_string(command.operandCount) +
                                (command.operandCount == 1 ? " file or name" : " files or names") +
                                ", not " + std::to_string(arguments.operands.size()),
                            command.name);
  }
  for (const CommandOption& option : command.options) {
    if (option.required && arguments.options.count(option.name) == 0) {
      return ReportUsageError(std::string(command.name) + " needs " + option.name, command.name);
    }
  }
  return command.run(arguments);
}

}  // namespace

int RunSynthTool(int argc, char** argv) {
  posix::ReserveStandardDescriptors();
  RemoveTemporariesOnInterrupt();
  if (argc < 2) {
    PrintProgramHelp(stderr);
    return kExitUsage;
  }
  const std::string first = argv[1];
  if (first == "--help" || first == "-h") {
    PrintProgramHelp(stdout);
    return kExitDone;
  }
  if (first == "--version") {
    std::printf("%s %s\n", kProgram, BRIVOLA_VERSION);
    return kExitDone;
  }
  for (const Command& command : kCommands) {
    if (first == command.name) return RunCommand(command, argc - 2, argv + 2);
  }
  return ReportUsageError("unknown command '" + first + "'", nullptr);
}

int ReportUsageError(const std::string& message, const char* commandName) {
  std::fprintf(stderr, "%s: %s\nTry '%s %s--help'.\n", kProgram, message.c_str(), kProgram,
               commandName != nullptr ? (std::string(commandName) + " ").c_str() : "");
  return kExitUsage;
}

int ReportFailure(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return kExitFailed;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::string CannotOpenMessage(const std::string& file) {
  return "cannot open " + file + ": it is missing, unreadable or not a regular file";
}

std::string ChangedWhileReadMessage(const std::string& file) {
  return file + " changed while it was read: another program is writing it; nothing was written";
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  ReplacementFile file;
  if (!BeginReplacement(file, path.c_str())) return false;
  AppendToReplacement(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return FinishReplacement(file);
}
