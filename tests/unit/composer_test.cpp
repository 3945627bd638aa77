// The windows' templates, the main window's command table, Channel Properties and the
// Sound Preview's audio steps, over the fake dialog manager, chooser and DirectSound.
#include "app/composer.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "channels/channel_slot.h"
#include "preview/sound_preview.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "support.h"

namespace {

using namespace platform;

constexpr size_t kPreviewBytes = 441000;
const std::string kFormat = "1/1/44100/88200/2/16/18";

// "caption exstyle x,y,w,h" then per control "class id text x,y,w,h style" (class 0
// button, 1 edit, 2 static; -1 for texts never addressed); every dialog is 80C800C0 in
// "MS Sans Serif" 8.
Lines Described(const resources::DialogTemplate& t) {
  auto rect = [](int x, int y, int w, int h) {
    return " " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
           std::to_string(h);
  };
  char style[16];
  std::snprintf(style, sizeof style, "%X", t.style);
  Lines lines = {t.caption + std::string(" ") + std::to_string(t.extendedStyle) +
                 rect(t.x, t.y, t.width, t.height) + " " + style + " " + t.fontName +
                 std::to_string(t.pointSize)};
  for (int i = 0; i < t.controlCount; ++i) {
    const resources::ControlTemplate& c = t.controls[i];
    std::snprintf(style, sizeof style, " %X", c.style);
    lines.push_back(std::to_string(static_cast<int>(c.controlClass)) + " " + std::to_string(c.id) +
                    " " + c.text + rect(c.x, c.y, c.width, c.height) + style);
  }
  return lines;
}

TEST(DialogTemplates, HoldTheWindowsAsDesigned) {
  const std::string b = " 50010000", s = " 50020000";
  const char* captions[] = {"Pulse Wave #1", "Pulse Wave #2", "Pulse Wave #3", "Pulse Wave #4",
                            "Triangle Wave", "Noise Wave #1", "Noise Wave #2"};
  Lines main = {"Brivola Synthesis Composer 0 0,0,202,127 80C800C0 MS Sans Serif8",
                "0 1015 Exit 101,105,60,14" + b};
  auto row = [&](const std::string& kind, int id, const std::string& text, int x, int w) {
    for (int r = 0; r < 7; ++r) {
      main.push_back(kind + " " + std::to_string(id < 0 ? id : id + r) + " " +
                     (text.empty() ? captions[r] : text) + " " + std::to_string(x) + "," +
                     std::to_string(20 + 10 * r) + "," +
                     std::to_string(w + (w == 55 && r > 1) * 5) + ",10" + (kind == "0" ? b : s));
    }
  };
  row("2", -1, "", 10, 55);
  main.insert(main.end(),
              {"2 -1 NES Sound Channel: 10,5,70,10" + s, "2 -1 Synthesis Wave: 85,5,55,10" + s});
  row("0", 1000, "N", 170, 15);
  row("0", 1007, "S", 150, 15);
  main.push_back("0 1014 Save... 35,105,60,15" + b);
  row("2", 1016, "-", 85, 30);
  row("0", 1023, "...", 130, 15);
  EXPECT_EQ(Described(*resources::FindDialogTemplate(IDD_COMPOSER)), main);
  EXPECT_EQ(Described(*resources::FindDialogTemplate(IDD_CHANNEL_PROPERTIES)),
            (Lines{"Channel Properties 0 0,0,217,46 80C800C0 MS Sans Serif8",
                   "0 1 OK 75,25,50,14 50010001", "1 1027  45,5,140,10 50810880",
                   "2 -1 File name: 5,5,35,10" + s, "0 1028 ... 190,5,15,10" + b}));
  EXPECT_EQ(Described(*resources::FindDialogTemplate(IDD_SOUND_PREVIEW)),
            (Lines{"Sound Preview 128 0,0,62,23 80C800C0 MS Sans Serif8",
                   "0 1029 OK 10,5,40,15 50010001"}));
  EXPECT_EQ(resources::FindDialogTemplate(102), nullptr);
}

using Composer = ComposerTest;

TEST_F(Composer, CommandTableRoutesEveryCommand) {
  for (int command = 997; command <= 1031; ++command) {
    SCOPED_TRACE(command);
    Lines logged;
    fake::Choose(std::nullopt);  // "Save..." cancelled: no message
    currentWaveKind = -1;
    RunMainWindow([&](fake::Window& main) {
      logged = LoggedBy([&] { EXPECT_EQ(fake::Click(main, command), kTrue); });
    });
    fake::Reset();
    std::string expected;
    if (command >= 1000 && command <= 1013) expected = "RunModalDialog 104 101";
    if (command >= 1023 && command <= 1029) expected = "RunModalDialog 103 101";
    if (command == kSaveId || command == kOpenBankId) expected = "Chooser 101";
    if (command == kExitId) expected = "EndDialog 101 0";
    EXPECT_EQ(logged.empty() ? "-" : logged.front().substr(0, expected.size()),
              expected.empty() ? "-" : expected);
    EXPECT_EQ(logged.size(), command == kSaveId || command == kExitId || command == kOpenBankId
                                 ? 1u
                                 : logged.size());
    EXPECT_EQ(currentWaveKind, command >= 1000 && command <= 1006 ? command - 1000 : -1);
  }
  // The close box ends the program like "Exit"; the window opening changes nothing.
  fake::Script(IDD_COMPOSER, [](fake::Window& main) {
    EXPECT_EQ(fake::Send(main, kWmInitDialog) | fake::Send(main, 0x0200), kFalse);
    EXPECT_EQ(fake::Send(main, kWmClose), kTrue);
  });
  EXPECT_EQ(RunComposer(), 0);
  EXPECT_EQ(fake::Log(), (Lines{"RunModalDialog 101 none", "EndDialog 101 0"}));
}

TEST_F(Composer, EachRowPlaysItsWaveAndItsSample) {
  TempFolder folder;
  std::vector<Bytes> samples;
  RunMainWindow([&](fake::Window& main) {
    for (int row = 0; row < kRowCount; ++row) {
      samples.push_back(RandomBytes(100 + row, row));
      Attach(main, row, folder.Write(std::to_string(row), samples.back()));
      EXPECT_EQ(main.texts[kStatusLabelFirstId + row], "PCM");
      fake::Click(main, kSynthPreviewFirstId + row);
      fake::Click(main, kSamplePreviewFirstId + row);
    }
    fake::Click(main, kSynthPreviewFirstId + 5);
  });
  const auto& played = fake::PlayedSounds();
  ASSERT_EQ(played.size(), 15u);
  // The pulses' first low runs, then the triangle's first peak sample.
  const long signatures[] = {12, 25, 50, 75, 4096};
  for (int row = 0; row < 5; ++row) {
    const std::vector<int16_t> wave = Samples(played[2 * row]);
    EXPECT_EQ(
        row < 4 ? std::find(wave.begin() + 1, wave.end(), 2000) - wave.begin() - 1 : wave[150],
        signatures[row]);
  }
  for (int row = 0; row < kRowCount; ++row) {
    Bytes sample = samples[row];
    sample.resize(kPreviewBytes);  // silence after the file
    EXPECT_EQ(played[2 * row + 1], sample) << row;
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
    fake::Choose(second);
    fake::Choose(std::nullopt);
    fake::Script(IDD_CHANNEL_PROPERTIES, [&](fake::Window& properties) {
      EXPECT_EQ(fake::Send(properties, kWmInitDialog), kTrue);  // the focus to OK
      EXPECT_EQ(properties.texts[IDC_PROPERTIES_FILE_NAME], first);
      // Escape's cancel command, other commands and messages leave it open.
      EXPECT_EQ(fake::Click(properties, kIdCancel) | fake::Click(properties, 1029) |
                    fake::Send(properties, 0x0200),
                kFalse);
      EXPECT_EQ(fake::Click(properties, IDC_PROPERTIES_BROWSE), kTrue);
      EXPECT_EQ(properties.texts[IDC_PROPERTIES_FILE_NAME], second);
      fake::Click(properties, IDC_PROPERTIES_BROWSE);  // cancelled: the field empties at once
      EXPECT_EQ(properties.texts[IDC_PROPERTIES_FILE_NAME], "");
      EXPECT_EQ(fake::Send(properties, kWmClose), kTrue);
    });
    logged = LoggedBy([&] { fake::Click(main, kPropertiesFirstId + 2); });
    EXPECT_EQ(main.texts[kStatusLabelFirstId + 2], "-");
  });
  // The chooser is modal to Channel Properties and opens with the last path chosen.
  const std::string chooser =
      "Chooser 103 76 PCM Wave Format|*.pcm|Sound Files|*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3;"
      "*.aif;*.aiff;*.aifc;*.caf;*.w64;*.rf64;*.au;*.snd|Synth Files(*.syn)|*.syn|All Files|*.*| 1 "
      "200 Open Wave... 4100 pcm [";
  EXPECT_EQ(logged, (Lines{"RunModalDialog 103 101", chooser + first + "]", chooser + second + "]",
                           "EndDialog 103 0"}));
  EXPECT_EQ(fake::LogOf("EndDialog 103").front(), "EndDialog 103 195");  // the first byte, unsigned
  EXPECT_STREQ(kChannelRows[2].slot->FileName(), "");
  EXPECT_EQ(activeSlot, nullptr);
}

TEST_F(Composer, APreviewSetsUpPlaysLoopingAndReleasesInOrder) {
  RunMainWindow([](fake::Window& main) {
    fake::Script(IDD_SOUND_PREVIEW, [](fake::Window& preview) {
      // The close box and Escape come as the cancel command, which changes nothing.
      EXPECT_EQ(fake::Send(preview, kWmClose) | fake::Send(preview, 0x0200), kFalse);
      EXPECT_EQ(fake::Click(preview, kIdCancel) & fake::Click(preview, IDC_PREVIEW_OK), kTrue);
    });
    fake::Click(main, kSynthPreviewFirstId);
  });
  EXPECT_EQ(fake::Log(),
            (Lines{"RunModalDialog 101 none", "RunModalDialog 104 101", "CreateAudioDevice",
                   "SetCooperativeLevel 104 2", "CreateSoundBuffer 36 1 0 0 -",
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
  const long made[] = {0, 1, 1, 2, 2, 3};  // the device, the primary, the sound buffer
  fake::Window window{IDD_SOUND_PREVIEW, nullptr, {}, {}};
  for (size_t step = 0; step < std::size(steps); ++step) {
    fake::Reset();
    fake::FailCall(steps[step].first, steps[step].second);
    EXPECT_EQ(StartPreview(&window), -1);
    EXPECT_EQ(fake::Log().back().rfind(steps[step].first, 0), 0u) << step;  // nothing after
    EXPECT_EQ(StopPreview(), 0);
    EXPECT_EQ(fake::LogOf("Release"), Lines(releases.end() - made[step], releases.end()));
    EXPECT_EQ(fake::LogOf("StopBuffer").size(), step / 5) << step;
  }
  // Unlock's and Play's results are not examined; the next preview tries again.
  fake::Reset();
  fake::FailCall("UnlockBuffer");
  fake::FailCall("PlayBuffer");
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
    Attach(main, 1, folder.Write("long", longSample));
    fake::Click(main, kSamplePreviewFirstId + 1);
    fake::Click(main, kSamplePreviewFirstId + 1);
    Attach(main, 1, folder.Path("missing"));
    fake::Click(main, kSamplePreviewFirstId + 1);
  });
  EXPECT_EQ(descriptors(), before);
  EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD), -1);  // no handle 0 taken for a file and closed
  EXPECT_EQ(
      fake::PlayedSounds(),
      (std::vector<Bytes>{Bytes(kPreviewBytes), Bytes(longSample.begin(), longSample.end() - 3),
                          Bytes(longSample.begin(), longSample.end() - 3), Bytes(kPreviewBytes)}));
  // The slot's own operations report what the windows do not show.
  EXPECT_EQ(pulseSlots[1].ReadSamples(nullptr, 0), -1);
  fake::Choose(folder.Path("long"));
  EXPECT_EQ(pulseSlots[1].ChooseFile(nullptr) + pulseSlots[1].ChooseFile(nullptr), -1);
}

}  // namespace
