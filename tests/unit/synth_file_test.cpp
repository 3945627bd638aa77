// "Save...": the Synth file byte for byte, and every way a save can fail leaving the
// target as it was; the POSIX file calls' own error paths.
#include "synthfile/synth_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/composer.h"
#include "platform/posix/posix_files.h"
#include "support.h"

namespace {

using fake::FileCall;
using Lines = std::vector<std::string>;

class Save : public ComposerTest {
 protected:
  // Attaches the samples to the rows (none for an empty path), saves to the target and
  // returns the log of the save.
  Lines SaveAs(const std::vector<std::string>& paths, const std::string& target) {
    Lines logged;
    RunMainWindow([&](fake::Window& main) {
      for (int row = 0; row < kRowCount; ++row) {
        Attach(main, row, paths[row].empty() ? std::nullopt : std::optional(paths[row]));
      }
      fake::Choose(target);
      const size_t before = fake::Log().size();
      fake::Click(main, kSaveId);
      logged.assign(fake::Log().begin() + static_cast<long>(before), fake::Log().end());
    });
    return logged;
  }
  std::vector<std::string> WriteSamples(const std::vector<Bytes>& samples) {
    std::vector<std::string> paths;
    for (size_t row = 0; row < samples.size(); ++row) {
      paths.push_back(folder.Write("s" + std::to_string(row) + ".pcm", samples[row]));
    }
    return paths;
  }
  TempFolder folder;
};

const std::string kSaveChooser =
    "Chooser 101 76 Synth Files(*.syn)|*.syn|All Files|*.*|1 200 Synth File... 4 syn [";
const std::string kMessage = "MessageBox 101 Could Not Save File.|Error|64";

TEST_F(Save, WritesTheDocumentedLayoutByteForByte) {
  Bytes seventeen = {0x1C, 0, 0, 0};
  seventeen.resize(32);
  Bytes oneSample = {0x1E, 0, 0, 0, 0x20, 0, 0, 0, 0x43, 0x21};
  oneSample.resize(34);
  const std::pair<std::vector<Bytes>, Bytes> cases[] = {
      {std::vector<Bytes>(7), seventeen},
      {{{0x34, 0x12}, {}, {}, {}, {}, {}, {}}, oneSample},
      // Odd and over-long samples: an odd count keeps the first byte after it as it is.
      {{RandomBytes(5, 1),
        RandomBytes(1, 2),
        RandomBytes(524287, 3),
        RandomBytes(524288, 4),
        RandomBytes(600000, 5),
        {},
        RandomBytes(2, 6)},
       {}}};
  std::string lastTarget;
  for (const auto& [samples, literal] : cases) {
    const std::string target = folder.Path("bank " + std::to_string(samples[0].size()) + ".syn");
    const Lines logged = SaveAs(WriteSamples(samples), target);
    ASSERT_EQ(logged.size(), 1u);  // the chooser, and no message after a save
    EXPECT_EQ(logged[0].substr(0, kSaveChooser.size()), kSaveChooser);
    if (!lastTarget.empty()) {
      EXPECT_EQ(logged[0], kSaveChooser + lastTarget + "]");
    }
    lastTarget = target;
    const Bytes saved = ReadBytes(target);
    EXPECT_EQ(saved, literal.empty() ? SynthFileOf(samples) : literal);
    if (literal.empty()) {
      EXPECT_EQ(saved[4], 0x05);  // L = 5 of row 0, its lowest byte untransformed
      const size_t fifth = 4 + 4 + 5 + 4 + 1 + 4 + 524287 + 4 + 524288;
      EXPECT_EQ(Bytes(saved.begin() + fifth, saved.begin() + fifth + 4), (Bytes{0, 0, 0x80, 0}));
    }
  }
}

TEST_F(Save, AFailedSaveShowsTheMessageOnceAndChangesNothing) {
  const std::vector<std::string> samples = WriteSamples(std::vector<Bytes>(7, RandomBytes(9, 9)));
  const std::string target = folder.Write("old.syn", {1, 2, 3});
  chmod(target.c_str(), 0640);
  struct Fault {
    FileCall call;
    int occurrence;
  };
  const Fault faults[] = {
      {FileCall::OpenForReading, 1},  {FileCall::OpenForReading, 7}, {FileCall::Read, 4},
      {FileCall::OpenReplacement, 1}, {FileCall::Write, 1},          {FileCall::Write, 2},
      {FileCall::Flush, 1},           {FileCall::Close, 8},          {FileCall::Rename, 1}};
  for (const Fault& fault : faults) {
    SCOPED_TRACE(static_cast<int>(fault.call) * 10 + fault.occurrence);
    fake::Reset();
    fake::FailFileCall(fault.call, fault.occurrence);
    EXPECT_EQ(SaveAs(samples, target).back(), kMessage);
    EXPECT_EQ(fake::LogOf("MessageBox").size(), 1u);
    EXPECT_EQ(ReadBytes(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(folder.Names().size(), 8u);  // no temporary file left
  }
  // A row without a file; a read-only target; a folder, a FIFO in the target's place.
  std::vector<std::string> oneMissing = samples;
  oneMissing[6].clear();
  EXPECT_EQ(SaveAs(oneMissing, target).back(), kMessage);
  chmod(target.c_str(), 0444);
  EXPECT_EQ(SaveAs(samples, target).back(), kMessage);
  EXPECT_EQ(ReadBytes(target), (Bytes{1, 2, 3}));
  mkfifo(folder.Path("fifo").c_str(), 0644);
  EXPECT_EQ(SaveAs(samples, folder.Path("fifo")).back(), kMessage);
  EXPECT_EQ(SaveAs(samples, folder.Path("")).back(), kMessage);
  // Saved after all: the permissions stay, a link stays a link and its file is replaced.
  chmod(target.c_str(), 0640);
  std::filesystem::create_symlink(target, folder.Path("link.syn"));
  fake::Reset();
  SaveAs(samples, folder.Path("link.syn"));
  EXPECT_EQ(ReadBytes(target), SynthFileOf(std::vector<Bytes>(7, RandomBytes(9, 9))));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("link.syn")));
  struct stat status;
  stat(target.c_str(), &status);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(fake::LogOf("MessageBox"), Lines{});
}

TEST_F(Save, ACancelledChooserWritesNothingAndSaysNothing) {
  fake::Choose(std::nullopt);
  EXPECT_EQ(SaveSynthFile(nullptr), 2);
  EXPECT_EQ(fake::LogOf("MessageBox"), Lines{});
  EXPECT_EQ(folder.Names(), std::vector<std::string>{});
}

TEST(PosixFiles, ReportTheSystemsErrors) {
  TempFolder folder;
  const int directory = open(folder.Path("").c_str(), O_RDONLY);
  char byte = 0;
  EXPECT_EQ(posix::ReadFile(directory, &byte, 1), -1);
  EXPECT_EQ(posix::WriteFile(directory, &byte, 1), -1);
  close(directory);
  EXPECT_EQ(posix::FlushFile(directory), -1);
  EXPECT_EQ(posix::CloseFile(directory), -1);
  EXPECT_EQ(posix::RemoveFile(folder.Path("none").c_str()), -1);
  EXPECT_EQ(posix::RenameFile(folder.Path("none").c_str(), folder.Path("x").c_str()), -1);
  // A new file gets rw for all less the umask.
  const mode_t mask = umask(027);
  char temporary[4096];
  const int handle = posix::OpenReplacementFile(folder.Path("new").c_str(), temporary, 4096);
  ASSERT_GT(handle, 0);
  EXPECT_EQ(posix::WriteFile(handle, "abc", 3), 3);
  EXPECT_EQ(posix::FlushFile(handle) | posix::CloseFile(handle), 0);
  EXPECT_EQ(posix::RenameFile(temporary, folder.Path("new").c_str()), 0);
  umask(mask);
  struct stat status;
  stat(folder.Path("new").c_str(), &status);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  const int reader = posix::OpenFileForReading(folder.Path("new").c_str());
  char read[8];
  EXPECT_EQ(posix::ReadFile(reader, read, 8), 3);
  EXPECT_EQ(posix::OpenReplacementFile(folder.Path("new").c_str(), temporary, 10), -1);
  posix::CloseFile(reader);
}

}  // namespace
