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

// A command's words after its name: options by name (a flag maps to ""), the rest in order.
struct CommandArguments {
  std::map<std::string, std::string> options;
  std::vector<std::string> operands;
};

// Runs the tool on the process's arguments; returns the exit code.
int RunSynthTool(int argc, char** argv);

// Writes "brivola-syn: message" to stderr; returns kExitFailed.
int ReportFailure(const std::string& message);

// Writes the message and a pointer to the help to stderr; returns kExitUsage.
// commandName is null for a fault before any command.
int ReportUsageError(const std::string& message, const char* commandName);

// The path in single quotes, as messages show it.
std::string Quoted(const std::string& path);

// "cannot open FILE: ...", for a file the file layer would not open; file names it,
// quoted.
std::string CannotOpenMessage(const std::string& file);

// "FILE changed while it was read: ...", for a file another program rewrote meanwhile.
std::string ChangedWhileReadMessage(const std::string& file);

// Writes the bytes to the path through a replacement file: all or nothing.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The commands.
int RunBuild(const CommandArguments& arguments);
int RunInfo(const CommandArguments& arguments);
int RunExtract(const CommandArguments& arguments);
int RunRender(const CommandArguments& arguments);
int RunConvert(const CommandArguments& arguments);
