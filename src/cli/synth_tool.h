// brivola-syn: the Synth file tools on the command line, over the composer's own
// generators and Synth file code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Process exit codes.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The file name that stands for standard input or standard output.
constexpr char kStandardStream[] = "-";

// A command's words after its name: options by long name (a flag maps to ""), the rest
// in order.
struct CommandArguments {
  std::map<std::string, std::string> options;
  std::vector<std::string> operands;
};

// Runs the tool on the process's arguments; returns the exit code.
int RunSynthTool(int argc, char** argv);

// Writes "brivola-syn: message" to stderr; returns kExitFailed.
int ReportFailure(const std::string& message);

// Writes the message, the command's usage line and a pointer to the help to stderr;
// returns kExitUsage. commandName is null for a fault before any command.
int ReportUsageError(const std::string& message, const char* commandName);

// The path in single quotes, as messages show it; "standard input" for "-".
std::string Quoted(const std::string& path);

// The message followed by the system's text for the error number, when there is one.
std::string WithReason(const std::string& message, int error);

// "cannot open FILE: ...", for a file the file layer would not open; file names it,
// quoted. error is errno as the failed call left it.
std::string CannotOpenMessage(const std::string& file, int error);

// "cannot write FILE: reason", for a file whose replacement failed; error is errno as
// the failed call left it.
std::string CannotWriteMessage(const std::string& path, int error);

// True for a name that ends in ".wav", in any case: such an output is a WAV file.
bool NamesWaveFile(const std::string& path);

// Reads up to limit bytes of the file, or of standard input for "-". On failure reports
// it and returns false.
bool ReadInput(const std::string& path, size_t limit, std::vector<uint8_t>* bytes);

// Writes the bytes to the path through a replacement file (all or nothing), or to
// standard output for "-". On failure reports it and returns false.
bool WriteOutput(const std::string& path, const uint8_t* bytes, size_t count);

// The commands.
int RunBuild(const CommandArguments& arguments);
int RunInfo(const CommandArguments& arguments);
int RunExtract(const CommandArguments& arguments);
int RunRender(const CommandArguments& arguments);
int RunConvert(const CommandArguments& arguments);
