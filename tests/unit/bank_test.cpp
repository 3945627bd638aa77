// A bank named on the command line that cannot be read. (One that can fills every row with
// its block: the drop test shows it, and the end-to-end tests open one so.)
#include <filesystem>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "support.h"

// Seven empty blocks: a count of 28, then seven lengths of 0.
const Bytes kEmptyBank = {0x1C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                          0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

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
