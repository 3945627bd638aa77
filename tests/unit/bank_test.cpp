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
  const std::string tooLong = folder.Path(std::string(199 - folder.path.size(), 'l'));  // 200 bytes
  // Each drop's paths are followed by "", which is no file: a read past them would show. It
  // is also what a link that is not a local file comes as.
  const char* const paths[] = {bank.c_str(), "",        a.c_str(), "", c.c_str(),       "",
                               a.c_str(),    b.c_str(), c.c_str(), "", tooLong.c_str(), ""};
  // The bank below the rows fills them all; then a link before a file on row 1, files at the
  // rows' left and right edges, below them, and a path too long.
  const platform::DroppedFiles drops[] = {{5, 100, 1, paths},      {100, 35, 2, paths + 1},
                                          {10, 20, 1, paths + 4},  {184, 79, 3, paths + 6},
                                          {100, 90, 1, paths + 8}, {100, 45, 1, paths + 10}};
  Lines told;
  RunMainWindow([&](fake::Window& main) {
    for (const auto& drop : drops) {
      fake::Send(main, platform::kWmDropFiles, 0, reinterpret_cast<intptr_t>(&drop));
    }
    EXPECT_EQ(main.texts[kStatusLabelFirstId + 5], "PCM");
    EXPECT_EQ(main.descriptions[kStatusLabelFirstId + 4], bank + ", block 5 (Triangle Wave)");
    told = fake::LogOf("MessageBox");
  });
  EXPECT_EQ(told, Lines{"MessageBox 101 This path is too long: at most 199 bytes fit. Choose a "
                        "shorter path. Path Too Long 0"});
  std::vector<std::string> files;
  for (const ChannelRow& row : kChannelRows) files.push_back(row.slot->FileName());
  EXPECT_EQ(files, (std::vector<std::string>{c, bank, bank, bank, bank, a, b}));
}
