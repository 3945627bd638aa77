#include "cli/synth_tool.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/files.h"
#include "platform/posix/posix_files.h"
#include "storage/replacement_file.h"

namespace {

struct CommandOption {
  const char* longName;  // without its leading "--"
  char shortName;        // '\0' when it has none
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
     "Writes the Synth file the composer's \"Save...\" writes from the same seven files,\n"
     "in row order: the four pulse waves, the triangle wave, the two noise waves. Each\n"
     "file gives the first 524,288 bytes of its row's samples: a Synth file (.syn) its\n"
     "block for the same row; a sound file libsndfile reads (WAV, FLAC, Ogg, AIFF, ...)\n"
     "what convert makes of it; a .pcm file, or any other, its bytes as they are. An\n"
     "existing OUT.syn is replaced only once the new file is complete on disk; on failure\n"
     "it is left as it was. '-o -' writes the Synth file to standard output.\n",
     {{"output", 'o', true, true}},
     7,
     RunBuild},
    {"info",
     "FILE.syn",
     "list a Synth file's blocks and check that it is well formed",
     "Prints the seven blocks in row order with their captions, lengths in bytes and\n"
     "durations at 44,100 samples per second, or says what is wrong with the file.\n"
     "'-' reads the Synth file from standard input.\n",
     {},
     1,
     RunInfo},
    {"extract",
     "FILE.syn [-d DIR] [-f]",
     "write a Synth file's seven samples back out",
     "Writes pulse1.pcm, pulse2.pcm, pulse3.pcm, pulse4.pcm, triangle.pcm, noise1.pcm\n"
     "and noise2.pcm into DIR (default: the current folder, created when missing). A file\n"
     "that is not a well-formed Synth file is refused and nothing is written. When any of\n"
     "the seven files exists already, none is written unless -f (--force) is given.\n"
     "'-' reads the Synth file from standard input. -d is also --directory.\n",
     {{"directory", 'd', true, false}, {"force", 'f', false, false}},
     1,
     RunExtract},
    {"render",
     "WAVE [-o OUT] [--seconds S] [--wav]",
     "write a built-in wave",
     "Writes the wave as the composer's preview makes it: pulse12, pulse25, pulse50,\n"
     "pulse75, triangle, noise or looped-noise. Noise starts from the random source's\n"
     "first value, as the first noise preview does. S seconds (default 5, at most 600)\n"
     "of 16-bit mono samples at 44,100 Hz: a WAV file when OUT ends in .wav, headerless\n"
     "otherwise. OUT (-o, --output) defaults to WAVE.pcm, or WAVE.wav with --wav; '-o -'\n"
     "writes headerless samples to standard output, or a WAV file with --wav.\n",
     {{"output", 'o', true, false}, {"seconds", '\0', true, false}, {"wav", '\0', false, false}},
     1,
     RunRender},
    {"convert",
     "IN OUT",
     "turn an audio file into a sample for a row",
     "Decodes any audio file libsndfile reads (WAV, FLAC, Ogg, AIFF, ...), mixes it to\n"
     "mono, resamples it to 44,100 Hz and writes 16-bit samples: a WAV file when OUT ends\n"
     "in .wav, headerless little-endian samples otherwise. Input rates from 1,000 to\n"
     "768,000 Hz are taken. '-' as IN reads standard input; as OUT, it writes headerless\n"
     "samples to standard output.\n",
     {},
     2,
     RunConvert},
};

constexpr char kProgram[] = "brivola-syn";
constexpr char kProgramSynopsis[] = "COMMAND [ARGUMENTS]";

void PrintProgramHelp(FILE* to) {
  std::fprintf(to, "Usage: %s %s\n\n", kProgram, kProgramSynopsis);
  std::fprintf(to, "The Synth file (\".syn\") tools of Brivola Synthesis Composer.\n\nCommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(to, "  %s %s\n      %s\n", command.name, command.synopsis, command.summary);
  }
  std::fprintf(to,
               "\nRun '%s COMMAND --help' (or -h) for a command's details; '%s --version' for "
               "the\nversion. Options take their value as '--name value' or '--name=value', "
               "'-x value' or\n'-xvalue'; '--' ends the options. Exit codes: 0 done, 1 failed, "
               "2 usage error.\n",
               kProgram, kProgram);
}

void PrintCommandHelp(const Command& command) {
  std::printf("Usage: %s %s %s\n\n%s", kProgram, command.name, command.synopsis, command.details);
}

const CommandOption* FindOption(const Command& command, const std::string& word, bool isLong) {
  for (const CommandOption& option : command.options) {
    if (option.longName == nullptr) continue;
    if (isLong ? word == option.longName : word[0] == option.shortName) return &option;
  }
  return nullptr;
}

bool IsOption(const std::string& word) { return word.size() >= 2 && word[0] == '-'; }

int RunCommand(const Command& command, int count, char** words) {
  CommandArguments arguments;
  bool optionsEnded = false;
  for (int i = 0; i < count; ++i) {
    const std::string word = words[i];
    if (optionsEnded || !IsOption(word)) {
      arguments.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    if (word == "--help" || word == "-h") {
      PrintCommandHelp(command);
      return kExitDone;
    }
    // "--name", "--name=value", "-x" or "-xvalue".
    const bool isLong = word[1] == '-';
    const size_t nameEnd = isLong ? std::min(word.find('='), word.size()) : 2;
    const std::string shown = word.substr(0, nameEnd);
    const CommandOption* option = FindOption(command, shown.substr(isLong ? 2 : 1), isLong);
    if (option == nullptr) {
      return ReportUsageError("unknown option '" + shown + "'", command.name);
    }
    std::string value;
    if (nameEnd < word.size()) {
      if (!option->takesValue) return ReportUsageError(shown + " takes no value", command.name);
      value = word.substr(isLong ? nameEnd + 1 : nameEnd);
    } else if (option->takesValue) {
      if (i + 1 == count) return ReportUsageError(shown + " needs a value", command.name);
      value = words[++i];
    }
    if (!arguments.options.emplace(option->longName, value).second) {
      return ReportUsageError(shown + " given twice", command.name);
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
    if (option.required && arguments.options.count(option.longName) == 0) {
      return ReportUsageError(std::string(command.name) + " needs -" + option.shortName,
                              command.name);
    }
  }
  return command.run(arguments);
}

int Dispatch(int argc, char** argv) {
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
  if (IsOption(first)) return ReportUsageError("unknown option '" + first + "'", nullptr);
  return ReportUsageError("unknown command '" + first + "'", nullptr);
}

}  // namespace

int RunSynthTool(int argc, char** argv) {
  posix::ReserveStandardDescriptors();
  RemoveTemporariesOnInterrupt();
  // A closed pipe on standard output is a failed write, reported like any other.
  std::signal(SIGPIPE, SIG_IGN);
  int result = Dispatch(argc, argv);
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    result = ReportFailure(WithReason("cannot write to standard output", errno));
  }
  return result;
}

int ReportUsageError(const std::string& message, const char* commandName) {
  std::string usage = kProgramSynopsis;
  for (const Command& command : kCommands) {
    if (commandName != nullptr && std::strcmp(commandName, command.name) == 0) {
      usage = std::string(command.name) + " " + command.synopsis;
    }
  }
  std::fprintf(stderr, "%s: %s\nUsage: %s %s\nTry '%s %s--help'.\n", kProgram, message.c_str(),
               kProgram, usage.c_str(), kProgram,
               commandName != nullptr ? (std::string(commandName) + " ").c_str() : "");
  return kExitUsage;
}

int ReportFailure(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return kExitFailed;
}

std::string Quoted(const std::string& path) {
  return path == kStandardStream ? "standard input" : "'" + path + "'";
}

std::string WithReason(const std::string& message, int error) {
  return error != 0 ? message + ": " + std::strerror(error) : message;
}

std::string CannotOpenMessage(const std::string& file, int error) {
  return WithReason("cannot open " + file + ": it is missing, unreadable or not a regular file",
                    error);
}

std::string ChangedWhileReadMessage(const std::string& file) {
  return file + " changed while it was read: another program is writing it; nothing was written";
}

std::string CannotWriteMessage(const std::vector<std::string>& paths, int error) {
  std::string names;
  for (const std::string& path : paths) names += (names.empty() ? "" : ", ") + Quoted(path);
  // The file layer refuses such a target without an error number of its own.
  std::error_code ignored;
  const auto type = std::filesystem::status(paths.front(), ignored).type();
  if (type != std::filesystem::file_type::not_found &&
      type != std::filesystem::file_type::regular) {
    return "cannot write " + names + ": it is not a regular file";
  }
  return WithReason("cannot write " + names, error);
}

bool NamesWaveFile(const std::string& path) {
  constexpr char kWaveExtension[] = ".wav";
  const size_t length = std::strlen(kWaveExtension);
  return path.size() >= length &&
         strcasecmp(path.c_str() + path.size() - length, kWaveExtension) == 0;
}

bool OpenInput(const std::string& path, Input* input) {
  *input = {STDIN_FILENO, false, {}};
  if (path == kStandardStream) return true;
  errno = 0;
  input->handle = platform::OpenFileForReading(path.c_str());
  input->stamped = input->handle >= 0 && platform::StampFile(input->handle, &input->stamp) == 0;
  if (input->stamped) return true;
  const int error = errno;
  if (input->handle >= 0) platform::CloseFile(input->handle);
  ReportFailure(CannotOpenMessage(Quoted(path), error));
  return false;
}

bool InputUnchanged(const Input& input) {
  return !input.stamped || FileUnchangedSince(input.handle, input.stamp);
}

void CloseInput(const Input& input) {
  if (input.stamped) platform::CloseFile(input.handle);
}

bool ReadInput(const std::string& path, size_t limit, std::vector<uint8_t>* bytes) {
  Input input;
  if (!OpenInput(path, &input)) return false;
  bytes->resize(limit);
  errno = 0;
  const int32_t count =
      platform::ReadFile(input.handle, bytes->data(), static_cast<uint32_t>(limit));
  const int error = errno;
  const bool unchanged = InputUnchanged(input);
  CloseInput(input);
  if (count < 0) {
    ReportFailure(WithReason("cannot read " + Quoted(path), error));
    return false;
  }
  if (!unchanged) {
    ReportFailure(ChangedWhileReadMessage(Quoted(path)));
    return false;
  }
  bytes->resize(static_cast<size_t>(count));
  return true;
}

bool WriteOutput(const std::string& path, const uint8_t* bytes, size_t count) {
  errno = 0;
  if (path == kStandardStream) {
    const auto size = static_cast<uint32_t>(count);
    if (platform::WriteFile(STDOUT_FILENO, bytes, size) == static_cast<int32_t>(size)) return true;
    ReportFailure(WithReason("cannot write to standard output", errno));
    return false;
  }
  ReplacementFile file;
  if (BeginReplacement(file, path.c_str())) {
    AppendToReplacement(file, bytes, static_cast<uint32_t>(count));
    if (FinishReplacement(file)) return true;
  }
  ReportFailure(CannotWriteMessage({path}, errno));
  return false;
}
