// What the unit tests share: scratch files and the main window run through the fake
// dialog manager.
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

// Runs the composer's main window with the user's actions, then closes it with its close
// box, which ends it as "Exit" does.
int RunMainWindow(const std::function<void(fake::Window& main)>& actions);
// "..." of the row, "..." of Channel Properties answered with the path (nullopt
// cancels), then OK.
void Attach(fake::Window& main, int row, std::optional<std::string> path);
// The log lines the action added.
Lines LoggedBy(const std::function<void()>& action);

// Every row detached and every fake cleared before each test; after it, no audio object
// and no file descriptor is left open.
struct ComposerTest : ::testing::Test {
  void SetUp() override;
  void TearDown() override;
  long openDescriptors = 0;
};
