// A bank named on the command line: every row takes its block, or the bank cannot be read.
#include <filesystem>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "resources/resource_ids.h"
#include "support.h"

// Seven empty blocks: a count of 28, then seven lengths of 0.
const Bytes kEmptyBank = [] {
  Bytes bank(32);
  bank[0] = 0x1C;
  return bank;
}();

TEST_F(ComposerTest, ABankThatCannotBeReadIsToldOnceAndLeavesTheRowsEmpty) {
  TempFolder folder;
  std::filesystem::create_directory(folder.Path("folder.syn"));
  // Missing, malformed, a folder, a Synth file not named so, a path of 200 bytes.
  for (const std::string& path :
       {folder.Path("missing.syn"), folder.Write("short.syn", {1, 0, 0, 0}),
        folder.Path("folder.syn"), folder.Write("bank.pcm", kEmptyBank),
        folder.Write(std::string(195 - folder.path.size(), 'l') + ".syn", kEmptyBank)}) {
    fake::Reset();
    RunComposer(path.c_str());
    EXPECT_EQ(fake::LogOf("MessageBox"), Lines{"MessageBox 101 Could Not Open File. Error 64"})
        << path;
    for (const ChannelRow& row : kChannelRows) EXPECT_STREQ(row.slot->FileName(), "");
  }
}

TEST_F(ComposerTest, ABankFillsEveryRowWithItsBlock) {
  TempFolder folder;
  const std::string bank = folder.Write("bank.syn", kEmptyBank);
  fake::Script(IDD_COMPOSER, [&](fake::Window& main) {
    EXPECT_EQ(main.texts[kStatusLabelFirstId + 4], "PCM");
    EXPECT_EQ(main.descriptions[kStatusLabelFirstId + 4], bank + ", block 5 (Triangle Wave)");
    fake::Click(main, kExitId);
  });
  RunComposer(bank.c_str());
  EXPECT_STREQ(triangleSlot.FileName(), bank.c_str());
}
