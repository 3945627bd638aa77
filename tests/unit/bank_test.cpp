// A bank named on the command line that cannot be read (one that can fills every row with
// its block: the drop test shows it, and the end-to-end tests open one so), and files
// dropped on the rows.
#include <filesystem>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "platform/dialogs.h"
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

TEST_F(ComposerTest, DroppedFilesAttachFromTheirRowDownAsFarAsTheRowsGo) {
  TempFolder folder;
  const std::string a = folder.Write("a.pcm", {1}), b = folder.Write("b.pcm", {2});
  const std::string c = folder.Write("c.pcm", {3});
  // Each drop's paths are followed by one more, which is not dropped.
  const char* const paths[] = {a.c_str(), b.c_str(), c.c_str(), a.c_str()};
  platform::DroppedFiles onRowOne{100, 35, 1, paths + 2}, onRowFive{100, 75, 3, paths};
  RunMainWindow([&](fake::Window& main) {
    fake::Send(main, platform::kWmDropFiles, 0, reinterpret_cast<intptr_t>(&onRowOne));
    fake::Send(main, platform::kWmDropFiles, 0, reinterpret_cast<intptr_t>(&onRowFive));
  });
  std::vector<std::string> files;
  for (const ChannelRow& row : kChannelRows) files.push_back(row.slot->FileName());
  EXPECT_EQ(files, (std::vector<std::string>{"", c, "", "", "", a, b}));
}
