// What the unit tests share: scratch files, an independent Synth file layout, and the
// main window run through the fake dialog manager.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

// A fresh folder, removed with its content when the test ends.
struct TempFolder {
  TempFolder();
  ~TempFolder();
  std::string Path(const std::string& name) const { return path + "/" + name; }
  std::string Write(const std::string& name, const Bytes& bytes) const;  // returns the path
  size_t Count() const;                                                  // of the names in it
  std::string path;
};

Bytes ReadBytes(const std::string& path);
Bytes RandomBytes(size_t count, uint32_t seed);
std::vector<int16_t> Samples(const Bytes& bytes);
void PutLength(Bytes& to, uint32_t value);  // 32-bit little-endian
// The Synth file of these samples, laid out here without the program's code: the body's
// byte count, then per row a length and at most 524,288 bytes, every byte of the body
// with its nibbles exchanged but the first when the count is odd.
Bytes SynthFileOf(const std::vector<Bytes>& samples);

// Runs the composer's main window with the user's actions, then presses "Exit".
int RunMainWindow(const std::function<void(fake::Window& main)>& actions);
// "..." of the row, "..." of Channel Properties answered with the path (nullopt
// cancels), then OK.
void Attach(fake::Window& main, int row, std::optional<std::string> path);
// The log lines the action added.
Lines LoggedBy(const std::function<void()>& action);

// Every row detached and every fake cleared before each test.
struct ComposerTest : ::testing::Test {
  void SetUp() override;
  void TearDown() override { EXPECT_EQ(fake::LiveAudioObjects(), 0); }
};
