#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "synthfile/synth_file.h"
#include "test_support.h"

namespace {

using fake::FileCall;

class SynthFile : public ComposerTest {
 protected:
  // Attaches the samples to the seven rows, in row order.
  void AttachAll(const std::vector<Bytes>& samples) {
    for (int row = 0; row < kRowCount; ++row) {
      Attach(row, folder.Write("row " + std::to_string(row) + ".pcm", samples[row]));
    }
    fake::Reset();
  }

  int Save(const std::optional<std::string>& target) {
    fake::Choose(target);
    return SaveSynthFile(nullptr);
  }

  TempFolder folder;
};

std::vector<Bytes> Empties() { return std::vector<Bytes>(kRowCount); }

mode_t Mode(const std::string& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

}  // namespace

TEST_F(SynthFile, ByteExactLayouts) {
  const std::string target = folder.Path("song.syn");

  AttachAll(Empties());
  EXPECT_EQ(Save(target), 0);
  Bytes sevenEmpty = {0x1C, 0, 0, 0};
  sevenEmpty.resize(32, 0);
  EXPECT_EQ(ReadBytes(target), sevenEmpty);

  auto oneSample = Empties();
  oneSample[0] = {0x34, 0x12};
  AttachAll(oneSample);
  EXPECT_EQ(Save(target), 0);
  Bytes expected = {0x1E, 0, 0, 0, 0x20, 0, 0, 0, 0x43, 0x21};
  expected.resize(34, 0);
  EXPECT_EQ(ReadBytes(target), expected);

  // 600,000 bytes give a block of 524,288: its length bytes 00 00 08 00 are stored 00 00 80 00.
  auto large = Empties();
  large[3] = RandomBytes(600000, 1);
  AttachAll(large);
  EXPECT_EQ(Save(target), 0);
  const Bytes written = ReadBytes(target);
  ASSERT_EQ(written.size(), 4u + 28 + 524288);
  EXPECT_EQ(Bytes(written.begin() + 4 + 3 * 4, written.begin() + 4 + 4 * 4), (Bytes{0, 0, 0x80, 0}));
  EXPECT_EQ(written, ExpectedSynthFile(large));

  // An odd N: the byte after the count (the lowest byte of the first length) stays as it is.
  auto odd = Empties();
  odd[0] = Bytes(0x1F, 0xAB);
  odd[5] = {0x5A, 0xC3};
  AttachAll(odd);
  EXPECT_EQ(Save(target), 0);
  const Bytes oddFile = ReadBytes(target);
  EXPECT_EQ(oddFile[0], 28 + 0x1F + 2);
  EXPECT_EQ(oddFile[4], 0x1F);
  EXPECT_EQ(oddFile[8], 0xBA);
  EXPECT_EQ(oddFile, ExpectedSynthFile(odd));

  // Random lengths and contents, held against the independent layout.
  for (uint32_t seed = 10; seed < 14; ++seed) {
    std::vector<Bytes> samples;
    for (int row = 0; row < kRowCount; ++row) {
      samples.push_back(RandomBytes(RandomBytes(2, seed * 7 + row)[0] * 37 + row, seed * 13 + row));
    }
    AttachAll(samples);
    EXPECT_EQ(Save(target), 0);
    EXPECT_EQ(ReadBytes(target), ExpectedSynthFile(samples)) << "seed " << seed;
  }
  // One read per sample file and two writes, the count first.
  EXPECT_EQ(fake::FileCallCount(FileCall::Read), 7);
  EXPECT_EQ(fake::FileCallCount(FileCall::Write), 2);
  EXPECT_EQ(folder.Names().size(), 8u) << "seven samples and the target, nothing else";
}

TEST_F(SynthFile, TheChooserNamesTheTargetAndRemembersIt) {
  AttachAll(Empties());
  const std::string first = folder.Path("first.syn");
  EXPECT_EQ(Save(first), 0);
  EXPECT_EQ(Save(std::nullopt), 2);
  EXPECT_EQ(Save(folder.Path(std::string(200, 'x'))), 2) << "a path too long fails the chooser";
  const auto& choosers = fake::Choosers();
  ASSERT_EQ(choosers.size(), 3u);
  EXPECT_EQ(choosers[0].request.structSize, 76u);
  EXPECT_EQ(choosers[0].filter,
            (std::vector<std::string>{"Synth Files(*.syn)", "*.syn", "All Files", "*.*"}));
  EXPECT_EQ(choosers[0].request.filterIndex, 1u);
  EXPECT_EQ(choosers[0].request.maxFile, 200u);
  EXPECT_EQ(choosers[0].title, "Synth File...");
  EXPECT_EQ(choosers[0].request.flags, 4u);
  EXPECT_EQ(choosers[0].defaultExtension, "syn");
  EXPECT_EQ(choosers[1].initialFile, first);
  EXPECT_EQ(choosers[2].initialFile, first) << "a cancel keeps the last target";
  EXPECT_EQ(fake::FileCallCount(FileCall::OpenForReading), 7) << "a cancel touches no file";
  EXPECT_EQ(fake::FileCallCount(FileCall::OpenReplacement), 1);
}

TEST_F(SynthFile, SaveButtonShowsTheMessageOnlyOnFailure) {
  const std::string target = folder.Write("song.syn", {1, 2, 3});
  const std::string sample = folder.Write("a.pcm", {4, 5});
  RunMainWindow([&](fake::Window& main) {
    for (int row = 0; row < kRowCount; ++row) {
      AttachThroughProperties(main, row, row == 4 ? std::nullopt : std::optional(sample));
    }
    fake::Choose(target);
    fake::Click(main, kSaveId);
    ASSERT_EQ(fake::MessageBoxes().size(), 1u);
    const fake::MessageBoxRecord& message = fake::MessageBoxes()[0];
    EXPECT_EQ(message.owner, &main);
    EXPECT_EQ(message.text, "Could Not Save File.");
    EXPECT_EQ(message.caption, "Error");
    EXPECT_EQ(message.style, 0x40u);
    for (int row = 0; row < kRowCount; ++row) {
      EXPECT_EQ(fake::ControlText(main, kStatusLabelFirstId + row), row == 4 ? "-" : "PCM");
    }
    fake::Choose(std::nullopt);
    fake::Click(main, kSaveId);
    EXPECT_EQ(fake::MessageBoxes().size(), 1u) << "a cancelled chooser shows nothing";
  });
  EXPECT_EQ(ReadBytes(target), (Bytes{1, 2, 3}));
  EXPECT_EQ(std::string(triangleSlot.FileName()), "");
  EXPECT_EQ(std::string(pulseSlots[0].FileName()), sample);
}

TEST_F(SynthFile, AnyFailingFileCallLeavesTheTargetAsItWas) {
  const std::vector<Bytes> samples = {RandomBytes(10, 1), RandomBytes(0, 2), RandomBytes(7, 3),
                                      RandomBytes(300, 4), RandomBytes(2, 5), RandomBytes(1, 6),
                                      RandomBytes(99, 7)};
  AttachAll(samples);
  const std::string target = folder.Write("song.syn", RandomBytes(5000, 99));
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  const Bytes before = ReadBytes(target);
  const auto names = folder.Names();
  const int descriptors = OpenDescriptorCount();

  std::vector<std::pair<FileCall, int>> failures = {
      {FileCall::OpenReplacement, 1}, {FileCall::Write, 1}, {FileCall::Write, 2},
      {FileCall::Flush, 1},           {FileCall::Close, 8}, {FileCall::Rename, 1}};
  for (int occurrence = 1; occurrence <= kRowCount; ++occurrence) {
    failures.push_back({FileCall::OpenForReading, occurrence});
    failures.push_back({FileCall::Read, occurrence});
  }
  for (const auto& [call, occurrence] : failures) {
    SCOPED_TRACE("call " + std::to_string(static_cast<int>(call)) + " #" + std::to_string(occurrence));
    fake::Reset();
    fake::FailFileCall(call, occurrence);
    RunMainWindow([&](fake::Window& main) {
      fake::Choose(target);
      fake::Click(main, kSaveId);
    });
    EXPECT_GE(fake::FileCallCount(call), occurrence) << "the failure was not reached";
    EXPECT_EQ(fake::MessageBoxes().size(), 1u);
    EXPECT_EQ(ReadBytes(target), before);
    EXPECT_EQ(Mode(target), 0640u);
    EXPECT_EQ(folder.Names(), names) << "no temporary file is left";
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
  }

  // The same save without a fault replaces the content and keeps the permissions.
  fake::Reset();
  EXPECT_EQ(Save(target), 0);
  EXPECT_EQ(ReadBytes(target), ExpectedSynthFile(samples));
  EXPECT_EQ(Mode(target), 0640u);
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(SynthFile, UnusableSourcesAndTargetsFail) {
  const std::string target = folder.Write("song.syn", {7, 7, 7});
  const std::string sample = folder.Write("ok.pcm", {1});
  ASSERT_EQ(mkdir(folder.Path("folder.pcm").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(folder.Path("pipe.pcm").c_str(), 0600), 0);
  for (int row = 0; row < kRowCount; ++row) Attach(row, sample);

  for (const std::string& unusable :
       {folder.Path("folder.pcm"), folder.Path("pipe.pcm"), folder.Path("missing.pcm")}) {
    Attach(5, unusable);
    EXPECT_EQ(Save(target), -1) << unusable;
    EXPECT_EQ(ReadBytes(target), (Bytes{7, 7, 7}));
  }
  Attach(5, std::nullopt);
  EXPECT_EQ(Save(target), -1) << "a row without a file";

  Attach(5, sample);
  ASSERT_EQ(chmod(target.c_str(), 0444), 0);
  EXPECT_EQ(Save(target), -1) << "a read-only target";
  ASSERT_EQ(chmod(target.c_str(), 0644), 0);
  EXPECT_EQ(Save(folder.Path("no such folder/song.syn")), -1);
  EXPECT_EQ(Save(folder.Path("folder.pcm")), -1) << "a folder as the target";
  EXPECT_EQ(Save(folder.Path("pipe.pcm")), -1) << "a FIFO as the target";
  EXPECT_EQ(ReadBytes(target), (Bytes{7, 7, 7}));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"folder.pcm", "ok.pcm", "pipe.pcm", "song.syn"}));
}

TEST_F(SynthFile, NewTargetsGetOrdinaryPermissionsAndASampleCanBeItsOwnTarget) {
  const mode_t mask = umask(022);
  std::vector<Bytes> samples(kRowCount, Bytes{0x11, 0x22});
  samples[2] = RandomBytes(4096, 3);
  AttachAll(samples);
  const std::string fresh = folder.Path("new.syn");
  EXPECT_EQ(Save(fresh), 0);
  EXPECT_EQ(Mode(fresh), 0644u);
  umask(mask);

  // Saving onto row 2's own file bundles the content it had.
  EXPECT_EQ(Save(folder.Path("row 2.pcm")), 0);
  EXPECT_EQ(ReadBytes(folder.Path("row 2.pcm")), ExpectedSynthFile(samples));

  // Through a symbolic link the file it leads to is replaced, and the link stays a link.
  ASSERT_EQ(symlink("new.syn", folder.Path("link.syn").c_str()), 0);
  samples[0] = {0x42};
  AttachAll(samples);
  EXPECT_EQ(Save(folder.Path("link.syn")), 0);
  EXPECT_EQ(ReadBytes(fresh), ExpectedSynthFile(samples));
  struct stat link {};
  ASSERT_EQ(lstat(folder.Path("link.syn").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
}
