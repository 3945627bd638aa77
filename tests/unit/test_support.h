// Shared helpers of the unit tests: temporary files, the main window run through the
// fake dialog manager, and the user's ways of attaching a file to a row.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fakes.h"

using Bytes = std::vector<uint8_t>;

// A fresh folder, removed with its content at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  // Writes a file of these bytes and returns its path.
  std::string Write(const std::string& name, const Bytes& bytes) const;
  // The names in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

Bytes ReadBytes(const std::string& path);
Bytes RandomBytes(size_t count, uint32_t seed);
std::vector<int16_t> Samples(const Bytes& bytes);
// A Synth file laid out independently of the program's writer: the count N of the body's
// bytes, then the body through the nibble exchange, word by word from the end, the first
// byte untouched when N is odd. The body may hold any lengths, true or not.
Bytes SynthFileOf(Bytes body);
// The Synth file of these samples: per row a length and at most 524,288 bytes.
Bytes ExpectedSynthFile(const std::vector<Bytes>& samples);
// Appends a 32-bit little-endian value.
void PutLength(Bytes& to, uint32_t value);

// Descriptors this process has open.
int OpenDescriptorCount();

// Runs the composer's main window; the actions are the user's, then "Exit" is pressed.
// Returns the process exit code RunComposer gives.
int RunMainWindow(const std::function<void(fake::Window& main)>& actions);

// In the main window: "..." of the row, "..." of Channel Properties answered with the
// path (nullopt cancels), then OK.
void AttachThroughProperties(fake::Window& main, int row, std::optional<std::string> path);

// Attaches the file to the row, or detaches the row's file with nullopt.
void Attach(int row, std::optional<std::string> path);

// Clears every fake and detaches every row, so each test starts from a known state.
class ComposerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};
