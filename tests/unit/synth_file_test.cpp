// "Save...": the Synth file byte for byte, every way a save can fail leaving the target
// as it was, and the POSIX file calls' own error paths.
#include "app/synth_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/composer.h"
#include "platform/posix/posix_files.h"
#include "support.h"

namespace {

const std::string kMessage = "MessageBox 101 Could Not Save File. Error 64";

struct Save : ComposerTest {
  // Writes the samples, attaches them (a missing one detaches its row), saves to the
  // target; returns what the save logged.
  Lines SaveAs(const std::vector<Bytes>& samples, const std::string& target, int missing = -1) {
    Lines logged;
    RunMainWindow([&](fake::Window& main) {
      for (int row = 0; row < kRowCount; ++row) {
        const std::string path = folder.Write(std::to_string(row) + ".pcm", samples[row]);
        Attach(main, row, row == missing ? std::nullopt : std::optional(path));
      }
      fake::Choose(target);
      logged = LoggedBy([&] { fake::Click(main, kSaveId); });
    });
    return logged;
  }
  TempFolder folder;
};

TEST_F(Save, WritesTheDocumentedLayoutByteForByte) {
  Bytes empty = {0x1C, 0, 0, 0}, oneSample = {0x1E, 0, 0, 0, 0x20, 0, 0, 0, 0x43, 0x21};
  empty.resize(32);
  oneSample.resize(34);
  const std::pair<std::vector<Bytes>, Bytes> cases[] = {
      {std::vector<Bytes>(7), empty}, {{{0x34, 0x12}, {}, {}, {}, {}, {}, {}}, oneSample}};
  std::string lastTarget;
  for (const auto& [samples, literal] : cases) {
    const std::string target = folder.Path("bank " + std::to_string(samples[0].size()));
    const Lines logged = SaveAs(samples, target);
    // The chooser opens with the last target; every sample is read before the target is
    // opened, which gets exactly two writes, the count first; no message follows.
    const std::string chooser =
        "Chooser 101 76 Synth Files(*.syn)|*.syn|All Files|*.*| 1 200 "
        "Synth File... 4 syn [" +
        lastTarget;
    EXPECT_EQ(logged.front().substr(0, chooser.size()), chooser);
    EXPECT_EQ(fake::LogOf("ReadFile"), Lines(7, "ReadFile 524288"));
    EXPECT_EQ(fake::LogOf("WriteFile"),
              (Lines{"WriteFile 4", "WriteFile " + std::to_string(literal.size() - 4)}));
    EXPECT_EQ(logged.back(), "RenameFile " + target);
    EXPECT_EQ(ReadBytes(target), literal);
    lastTarget = target;
    fake::Reset();
  }
}

TEST_F(Save, AFailedSaveShowsTheMessageOnceChangesNothingAndHoldsNothing) {
  const std::vector<Bytes> samples(7, RandomBytes(9, 9));
  const std::string target = folder.Write("old", {1, 2, 3});
  // Each call failing at its n-th time; a failed StampFile is a sample changed while read.
  const std::pair<const char*, int> faults[] = {
      {"OpenFileForReading", 1},  {"OpenFileForReading", 7}, {"ReadFile", 4},  {"StampFile", 2},
      {"OpenReplacementFile", 1}, {"WriteFile", 1},          {"WriteFile", 2}, {"FlushFile", 1},
      {"CloseFile", 8},           {"RenameFile", 1},         {"", 0}};
  for (const auto& [call, occurrence] : faults) {
    // Twenty times over, and the save after them still succeeds: no fault leaves anything
    // held for the rest of the session.
    for (int again = 0; again < 20; ++again) {
      fake::Reset();
      fake::FailCall(call, occurrence);
      // No fault but a row without its file.
      EXPECT_EQ(SaveAs(samples, target, occurrence == 0 ? 6 : -1).back(), kMessage) << call;
      EXPECT_EQ(fake::LogOf("MessageBox").size(), 1u);
      EXPECT_EQ(ReadBytes(target), (Bytes{1, 2, 3}));
      EXPECT_EQ(folder.Count(), 8u);  // no temporary file left
    }
  }
  fake::Reset();
  EXPECT_EQ(SaveAs(samples, folder.Path("bank")).back(), "RenameFile " + folder.Path("bank"));
  // A cancelled chooser writes nothing and says nothing.
  fake::Reset();
  fake::Choose(std::nullopt);
  EXPECT_EQ(SaveSynthFile(nullptr), 2);
  EXPECT_EQ(fake::Log().size(), 1u);
}

TEST(PosixFiles, ReportTheSystemsErrors) {
  TempFolder folder;
  const int directory = open(folder.path.c_str(), O_RDONLY);
  char byte = 0;
  EXPECT_EQ(posix::ReadFile(directory, &byte, 1), -1);
  EXPECT_EQ(posix::WriteFile(directory, &byte, 1), -1);
  close(directory);
  EXPECT_EQ(posix::FlushFile(directory), -1);
  EXPECT_EQ(posix::CloseFile(directory), -1);
  EXPECT_EQ(posix::RemoveFile(folder.Path("none").c_str()), -1);
  EXPECT_EQ(posix::RenameFile(folder.Path("none").c_str(), folder.Path("x").c_str()), -1);
  char tooSmall[10];
  EXPECT_EQ(posix::OpenReplacementFile(folder.Path("x").c_str(), tooSmall, sizeof tooSmall), -1);
}

}  // namespace
