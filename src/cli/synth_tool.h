// brivola-syn: the Synth file tools on the command line, over the composer's own
// generators and Synth file code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"

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

// "FILE changed while it was read: ...", for a file another program rewrote meanwhile.
std::string ChangedWhileReadMessage(const std::string& file);

// "cannot open FILE: ...", for a file the file layer would not open; file names it,
// quoted. error is errno as the failed call left it.
std::string CannotOpenMessage(const std::string& file, int error);

// "cannot write FILE, ...: reason", for files whose replacement failed; error is errno
// as the failed call left it.
std::string CannotWriteMessage(const std::vector<std::string>& paths, int error);

// True for a name that ends in ".wav", in any case: such an output is a WAV file.
bool NamesWaveFile(const std::string& path);

// What a command reads: a regular file, stamped when opened so that a change while it is
// read shows, or standard input for "-", which has no stamp.
struct Input {
  int handle;
  bool stamped;
  platform::FileStamp stamp;
};

// Opens the file, or takes standard input for "-". On failure reports it and returns false.
bool OpenInput(const std::string& path, Input* input);

// Whether the input is still as it was opened; standard input always is.
bool InputUnchanged(const Input& input);

// Closes a file; standard input stays open.
void CloseInput(const Input& input);

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
