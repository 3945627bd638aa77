// A bank named on the command line that cannot be read (one that can fills every row with
// its block, as a dropped one does below, and the end-to-end tests open one so), and files
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
  const std::string c = folder.Write("c.pcm", {3}), bank = folder.Write("bank.syn", kEmptyBank);
  // Each drop's paths are followed by one more, which is not dropped; "" is what a link
  // that is not a local file comes as.
  const char* const paths[] = {bank.c_str(), a.c_str(), "",       a.c_str(),
                               b.c_str(),    c.c_str(), a.c_str()};
  // The bank below the rows fills them all; then a file with a link on row 1, files at the
  // rows' left and right edges, and below them.
  const platform::DroppedFiles drops[] = {{5, 100, 1, paths},
                                          {100, 35, 2, paths + 1},
                                          {10, 20, 1, paths + 5},
                                          {184, 79, 3, paths + 3},
                                          {100, 90, 1, paths + 3}};
  RunMainWindow([&](fake::Window& main) {
    for (const auto& drop : drops) {
      fake::Send(main, platform::kWmDropFiles, 0, reinterpret_cast<intptr_t>(&drop));
    }
  });
  std::vector<std::string> files;
  for (const ChannelRow& row : kChannelRows) files.push_back(row.slot->FileName());
  EXPECT_EQ(files, (std::vector<std::string>{c, bank, bank, bank, bank, a, b}));
}
