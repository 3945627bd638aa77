// The main window's command table, Channel Properties, and the Sound Preview's audio
// steps, over the fake dialog manager, chooser and DirectSound.
#include "app/composer.h"

#include <filesystem>

#include "channels/channel_slot.h"
#include "preview/sound_preview.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "support.h"

namespace {

using platform::kIdCancel;
using platform::kIdOk;
using platform::kWmClose;
using platform::kWmCommand;
using platform::kWmInitDialog;
using Lines = std::vector<std::string>;

constexpr size_t kPreviewBytes = 441000;
const std::string kFormat = "1/1/44100/88200/2/16/18";

std::string Describe(const resources::ControlTemplate& c) {
  char style[16];
  std::snprintf(style, sizeof style, "%08X", c.style);
  return std::to_string(static_cast<int>(c.controlClass)) + " " + std::to_string(c.id) + " " +
         c.text + " " + std::to_string(c.x) + "," + std::to_string(c.y) + "," +
         std::to_string(c.width) + "," + std::to_string(c.height) + " " + style;
}

TEST(DialogTemplates, HoldTheWindowsAsDesigned) {
  // class 0 button, 1 edit, 2 static; id -1 for texts never addressed.
  const std::string button = " 50010000", text = " 50020000";
  auto y = [](int row) { return "," + std::to_string(20 + 10 * row) + ","; };
  auto buttons = [&](Lines& to, int firstId, const std::string& label, const char* x, int w) {
    for (int r = 0; r < 7; ++r) {
      to.push_back("0 " + std::to_string(firstId + r) + " " + label + " " + x + y(r) +
                   std::to_string(w) + ",10" + (firstId == 1016 ? text : button));
    }
  };
  const char* captions[] = {"Pulse Wave #1", "Pulse Wave #2", "Pulse Wave #3", "Pulse Wave #4",
                            "Triangle Wave", "Noise Wave #1", "Noise Wave #2"};
  Lines main = {"0 1015 Exit 101,105,60,14" + button};
  for (int r = 0; r < 7; ++r) {
    main.push_back("2 -1 " + std::string(captions[r]) + " 10" + y(r) + (r < 2 ? "55" : "60") +
                   ",10" + text);
  }
  main.push_back("2 -1 NES Sound Channel: 10,5,70,10" + text);
  main.push_back("2 -1 Synthesis Wave: 85,5,55,10" + text);
  buttons(main, 1000, "N", "170", 15);
  buttons(main, 1007, "S", "150", 15);
  main.push_back("0 1014 Save... 35,105,60,15" + button);
  buttons(main, 1016, "-", "85", 30);
  for (int r = 0; r < 7; ++r) main[main.size() - 7 + r][0] = '2';  // the labels are texts
  buttons(main, 1023, "...", "130", 15);
  const std::map<int, std::pair<std::string, Lines>> expected = {
      {IDD_COMPOSER, {"Brivola Synthesis Composer 0 0,0,202,127", main}},
      {IDD_CHANNEL_PROPERTIES,
       {"Channel Properties 0 0,0,217,46",
        {"0 1 OK 75,25,50,14 50010001", "1 1027  45,5,140,10 50810880",
         "2 -1 File name: 5,5,35,10" + text, "0 1028 ... 190,5,15,10" + button}}},
      {IDD_SOUND_PREVIEW, {"Sound Preview 128 0,0,62,23", {"0 1029 OK 10,5,40,15 50010001"}}}};
  for (const auto& [id, dialog] : expected) {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(id);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::string(t->caption) + " " + std::to_string(t->extendedStyle) + " " +
                  std::to_string(t->x) + "," + std::to_string(t->y) + "," +
                  std::to_string(t->width) + "," + std::to_string(t->height),
              dialog.first);
    EXPECT_EQ(t->style, 0x80C800C0u);
    EXPECT_EQ(std::string(t->fontName) + " " + std::to_string(t->pointSize), "MS Sans Serif 8");
    Lines controls;
    for (int i = 0; i < t->controlCount; ++i) controls.push_back(Describe(t->controls[i]));
    EXPECT_EQ(controls, dialog.second);
  }
  EXPECT_EQ(resources::FindDialogTemplate(102), nullptr);
}

class Composer : public ComposerTest {};

// The lines the fakes logged while the action ran.
Lines LoggedBy(const std::function<void()>& action) {
  const size_t before = fake::Log().size();
  action();
  return Lines(fake::Log().begin() + static_cast<long>(before), fake::Log().end());
}

TEST_F(Composer, CommandTableRoutesEveryCommand) {
  for (int command = 997; command <= 1031; ++command) {
    SCOPED_TRACE(command);
    fake::Choose(std::nullopt);  // for "Save..." and "..."
    Lines logged;
    RunMainWindow([&](fake::Window& main) {
      logged = LoggedBy([&] { EXPECT_EQ(fake::Click(main, command), platform::kTrue); });
    });
    fake::Reset();
    std::string first = logged.empty() ? "" : logged.front();
    if (command < 1000 || (command >= 1016 && command <= 1022) || command > 1029) {
      EXPECT_EQ(logged, Lines{});
    } else if (command <= 1013) {
      EXPECT_EQ(first, "RunModalDialog 104 owner 101");
      if (command <= 1006) {
        EXPECT_EQ(currentWaveKind, command - 1000);
      }
    } else if (command == kSaveId) {
      EXPECT_EQ(first.substr(0, 12), "Chooser 101 ");
      EXPECT_EQ(logged.size(), 1u);  // cancelled: no message
    } else if (command == kExitId) {
      EXPECT_EQ(logged, Lines{"EndDialog 101 0"});
    } else {
      EXPECT_EQ(first, "RunModalDialog 103 owner 101");
    }
  }
  // The close box ends the program like "Exit"; the window opening changes nothing.
  fake::Script(IDD_COMPOSER, [](fake::Window& main) {
    EXPECT_EQ(fake::Send(main, kWmClose), platform::kTrue);
    EXPECT_EQ(fake::Send(main, kWmInitDialog), platform::kFalse);
    EXPECT_EQ(fake::Send(main, 0x0200), platform::kFalse);
  });
  EXPECT_EQ(RunComposer(), 0);
  EXPECT_EQ(fake::Log(), (Lines{"RunModalDialog 101 owner none", "EndDialog 101 0"}));
}

TEST_F(Composer, EachRowPlaysItsWaveAndItsSample) {
  TempFolder folder;
  std::vector<Bytes> samples;
  RunMainWindow([&](fake::Window& main) {
    for (int row = 0; row < kRowCount; ++row) {
      samples.push_back(RandomBytes(100 + row, row));
      Attach(main, row, folder.Write("row" + std::to_string(row) + ".pcm", samples.back()));
      EXPECT_EQ(fake::ControlText(main, kStatusLabelFirstId + row), "PCM");
      fake::Click(main, kSynthPreviewFirstId + row);
      fake::Click(main, kSamplePreviewFirstId + row);
    }
    fake::Click(main, kSynthPreviewFirstId + 5);
  });
  const auto& played = fake::PlayedSounds();
  ASSERT_EQ(played.size(), 15u);
  for (int row = 0; row < kRowCount; ++row) {
    SCOPED_TRACE(row);
    const std::vector<int16_t> wave = Samples(played[2 * row]);
    const long lowRun[] = {12, 25, 50, 75};  // the first run of each duty cycle
    if (row < 4) {
      EXPECT_EQ(std::find(wave.begin() + 1, wave.end(), 2000) - wave.begin(), 1 + lowRun[row]);
    } else if (row == 4) {
      EXPECT_EQ((std::vector<int16_t>{wave[0], wave[1], wave[10], wave[150]}),
                (std::vector<int16_t>{0, 256, 512, 4096}));
    }
    const Bytes& sample = played[2 * row + 1];
    EXPECT_TRUE(std::equal(samples[row].begin(), samples[row].end(), sample.begin()));
    EXPECT_EQ(std::count(sample.begin() + samples[row].size(), sample.end(), 0),
              static_cast<long>(kPreviewBytes - samples[row].size()));
  }
  // Looped noise repeats every 128 samples; plain noise does not, and goes on.
  EXPECT_TRUE(std::equal(played[12].begin() + 256, played[12].end(), played[12].begin()));
  EXPECT_FALSE(std::equal(played[10].begin() + 256, played[10].end(), played[10].begin()));
  EXPECT_NE(played[10], played[14]);
}

TEST_F(Composer, ChannelPropertiesShowsChangesAndReturnsTheSlotsFile) {
  const std::string first = "\xC3\xBC/take.pcm", second(199, 'b');
  Lines logged;
  RunMainWindow([&](fake::Window& main) {
    Attach(main, 2, first);
    EXPECT_EQ(fake::ControlText(main, kStatusLabelFirstId + 2), "PCM");
    fake::Choose(second);
    fake::Choose(std::nullopt);
    fake::Script(IDD_CHANNEL_PROPERTIES, [&](fake::Window& properties) {
      EXPECT_EQ(fake::ControlText(properties, IDC_PROPERTIES_FILE_NAME), first);
      EXPECT_EQ(fake::Click(properties, kIdCancel), platform::kFalse);  // Escape: stays
      EXPECT_EQ(fake::Click(properties, 1029), platform::kFalse);
      EXPECT_EQ(fake::Send(properties, 0x0200), platform::kFalse);
      EXPECT_EQ(fake::Click(properties, IDC_PROPERTIES_BROWSE), platform::kTrue);
      EXPECT_EQ(fake::ControlText(properties, IDC_PROPERTIES_FILE_NAME), second);
      fake::Click(properties, IDC_PROPERTIES_BROWSE);  // cancelled: the field empties at once
      EXPECT_EQ(fake::ControlText(properties, IDC_PROPERTIES_FILE_NAME), "");
      EXPECT_EQ(fake::Send(properties, kWmClose), platform::kTrue);
    });
    logged = LoggedBy([&] { fake::Click(main, kPropertiesFirstId + 2); });
    EXPECT_EQ(fake::ControlText(main, kStatusLabelFirstId + 2), "-");
  });
  // The chooser is modal to Channel Properties and opens with the last path chosen.
  const std::string chooser =
      "Chooser 103 76 PCM Wave Format|*.pcm|All Files|*.*|1 200 "
      "Open Wave... 4100 pcm [";
  EXPECT_EQ(logged, (Lines{"RunModalDialog 103 owner 101", chooser + first + "]",
                           chooser + second + "]", "EndDialog 103 0"}));
  EXPECT_EQ(fake::LogOf("EndDialog 103").front(), "EndDialog 103 195");  // the first byte, unsigned
  EXPECT_STREQ(kChannelRows[2].slot->FileName(), "");
  EXPECT_EQ(activeSlot, nullptr);
}

TEST_F(Composer, APreviewSetsUpPlaysLoopingAndReleasesInOrder) {
  RunMainWindow([](fake::Window& main) {
    fake::Script(IDD_SOUND_PREVIEW, [](fake::Window& preview) {
      // The close box and Escape come as the cancel command, which changes nothing.
      EXPECT_EQ(fake::Send(preview, kWmClose), platform::kFalse);
      EXPECT_EQ(fake::Click(preview, kIdCancel), platform::kTrue);
      EXPECT_EQ(fake::Send(preview, 0x0200), platform::kFalse);
      EXPECT_EQ(fake::Click(preview, IDC_PREVIEW_OK), platform::kTrue);
    });
    fake::Click(main, kSynthPreviewFirstId);
  });
  EXPECT_EQ(fake::Log(),
            (Lines{"RunModalDialog 101 owner none", "RunModalDialog 104 owner 101",
                   "CreateAudioDevice", "SetCooperativeLevel 104 2", "CreateSoundBuffer 36 1 0 0 -",
                   "SetBufferFormat " + kFormat, "CreateSoundBuffer 36 0 441000 0 " + kFormat,
                   "LockBuffer 0 441000 0", "UnlockBuffer 441000 as locked", "PlayBuffer 0 0 1",
                   "StopBuffer", "ReleaseBuffer sound", "ReleaseBuffer primary", "ReleaseDevice",
                   "EndDialog 104 0", "EndDialog 101 0"}));
}

TEST_F(Composer, AFailedSetUpStepPlaysNothingAndReleasesWhatWasMade) {
  const std::pair<const char*, int> steps[] = {{"CreateAudioDevice", 1}, {"SetCooperativeLevel", 1},
                                               {"CreateSoundBuffer", 1}, {"SetBufferFormat", 1},
                                               {"CreateSoundBuffer", 2}, {"LockBuffer", 1}};
  const Lines releases = {"ReleaseBuffer sound", "ReleaseBuffer primary", "ReleaseDevice"};
  for (size_t step = 0; step < std::size(steps); ++step) {
    SCOPED_TRACE(steps[step].first);
    fake::Reset();
    fake::FailAudioCall(steps[step].first, steps[step].second);
    fake::Window window{IDD_SOUND_PREVIEW, nullptr, nullptr, {}, {}};
    EXPECT_EQ(StartPreview(&window), -1);
    EXPECT_EQ(fake::LogOf("PlayBuffer"), Lines{});
    EXPECT_EQ(fake::Log().back().rfind(steps[step].first, 0), 0u);  // nothing after the failure
    EXPECT_EQ(StopPreview(), 0);
    const long made[] = {0, 1, 1, 2, 2, 3};  // the device, the primary, the sound buffer
    EXPECT_EQ(fake::LogOf("Release"), Lines(releases.end() - made[step], releases.end()));
    EXPECT_EQ(fake::LogOf("StopBuffer").size(), step == 5 ? 1u : 0u);
  }
  // Unlock's and Play's results are not examined; the next preview tries again.
  fake::Reset();
  fake::FailAudioCall("UnlockBuffer");
  fake::FailAudioCall("PlayBuffer");
  fake::Window window{IDD_SOUND_PREVIEW, nullptr, nullptr, {}, {}};
  EXPECT_EQ(StartPreview(&window), 0);
  StopPreview();
  RunMainWindow([](fake::Window& main) { fake::Click(main, kSynthPreviewFirstId); });
  EXPECT_EQ(fake::PlayedSounds().size(), 1u);
}

TEST_F(Composer, SamplePreviewsReadFromTheStartAndCloseTheFile) {
  TempFolder folder;
  const Bytes longSample = RandomBytes(kPreviewBytes + 3, 7);
  const auto descriptors = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  const auto before = descriptors();
  RunMainWindow([&](fake::Window& main) {
    fake::Click(main, kSamplePreviewFirstId + 1);  // no file: silence, and OK still closes
    Attach(main, 1, folder.Write("long.pcm", longSample));
    fake::Click(main, kSamplePreviewFirstId + 1);
    fake::Click(main, kSamplePreviewFirstId + 1);
    Attach(main, 1, folder.Path("missing.pcm"));
    fake::Click(main, kSamplePreviewFirstId + 1);
  });
  EXPECT_EQ(descriptors(), before);
  const auto& played = fake::PlayedSounds();
  ASSERT_EQ(played.size(), 4u);
  EXPECT_EQ(played[0], Bytes(kPreviewBytes));
  EXPECT_EQ(played[1], Bytes(longSample.begin(), longSample.begin() + kPreviewBytes));
  EXPECT_EQ(played[2], played[1]);
  EXPECT_EQ(played[3], Bytes(kPreviewBytes));
  EXPECT_EQ(fake::LogOf("EndDialog 104").size(), 4u);
}

}  // namespace
