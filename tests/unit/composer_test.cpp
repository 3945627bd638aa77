// The windows' templates, the main window's command table, Channel Properties and the
// Sound Preview's audio steps, over the fake dialog manager, chooser and DirectSound.
#include "app/composer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "channels/channel_slot.h"
#include "platform/dialog_units.h"
#include "preview/sound_preview.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "support.h"

namespace {

using namespace platform;

const std::string kFormat = "1/1/44100/88200/2/16/18";
const char* const kCaptions[] = {"Pulse Wave #1", "Pulse Wave #2", "Pulse Wave #3", "Pulse Wave #4",
                                 "Triangle Wave", "Noise Wave #1", "Noise Wave #2"};

// "caption extended-style x,y,w,h style font" for the window, then per control
// "class id text x,y,w,h style" (-1: a text never addressed).
Lines Described(const resources::DialogTemplate& t) {
  const char* classes[] = {"button", "edit", "static"};
  char line[160];
  std::snprintf(line, sizeof line, "%s %X %d,%d,%d,%d %X %s %d", t.caption, t.extendedStyle, t.x,
                t.y, t.width, t.height, t.style, t.fontName, t.pointSize);
  Lines lines = {line};
  for (int i = 0; i < t.controlCount; ++i) {
    const resources::ControlTemplate& c = t.controls[i];
    std::snprintf(line, sizeof line, "%s %d %s %d,%d,%d,%d %X",
                  classes[static_cast<int>(c.controlClass)], c.id, c.text, c.x, c.y, c.width,
                  c.height, c.style);
    lines.push_back(line);
  }
  return lines;
}

TEST(DialogTemplates, HoldTheWindowsAsDesigned) {
  const int tops[] = {20, 30, 40, 50, 60, 70, 80};
  const int captionWidths[] = {55, 55, 60, 60, 60, 60, 60};
  Lines main = {"Brivola Synthesis Composer 0 0,0,202,127 80C800C0 MS Sans Serif 8",
                "button 1015 Exit 101,105,60,14 50010000"};
  const auto rows = [&](const std::string& kind, int firstId, const char* text, int x, int width) {
    for (int r = 0; r < 7; ++r) {
      main.push_back(kind + " " + std::to_string(firstId < 0 ? -1 : firstId + r) + " " +
                     (text ? text : kCaptions[r]) + " " + std::to_string(x) + "," +
                     std::to_string(tops[r]) + "," +
                     std::to_string(width ? width : captionWidths[r]) + ",10 " +
                     (kind == "button" ? "50010000" : "50020000"));
    }
  };
  rows("static", -1, nullptr, 10, 0);
  main.push_back("static -1 NES Sound Channel: 10,5,70,10 50020000");
  main.push_back("static -1 Synthesis Wave: 85,5,55,10 50020000");
  rows("button", 1000, "N", 170, 15);
  rows("button", 1007, "S", 150, 15);
  main.push_back("button 1014 Save... 35,105,60,15 50010000");
  rows("static", 1016, "-", 85, 30);
  rows("button", 1023, "...", 130, 15);
  EXPECT_EQ(Described(*resources::FindDialogTemplate(IDD_COMPOSER)), main);
  EXPECT_EQ(
      Described(*resources::FindDialogTemplate(IDD_CHANNEL_PROPERTIES)),
      (Lines{"Channel Properties 0 0,0,217,46 80C800C0 MS Sans Serif 8",
             "button 1 OK 75,25,50,14 50010001", "edit 1027  45,5,140,10 50810880",
             "static -1 File name: 5,5,35,10 50020000", "button 1028 ... 190,5,15,10 50010000"}));
  EXPECT_EQ(Described(*resources::FindDialogTemplate(IDD_SOUND_PREVIEW)),
            (Lines{"Sound Preview 80 0,0,62,23 80C800C0 MS Sans Serif 8",
                   "button 1029 OK 10,5,40,15 50010001"}));
}

// On Linux the templates' dialog units become pixels as on Windows: the 52 sample letters'
// average width rounded, products rounded half away from zero.
TEST(DialogUnits, BecomePixelsAsWindowsRoundsThem) {
  struct Case {
    int sampleWidth, fontHeight, across, down, pixelsAcross, pixelsDown;
  };
  const Case cases[] = {
      {312, 13, 3, 5, 5, 8},          // 6 a letter: 4.5 across, 8.125 down
      {337, 15, 202, 127, 303, 238},  // 6.48 a letter is 6: 303 across, 238.125 down
      {338, 12, 2, 3, 4, 5},          // 6.5 a letter is 7: 3.5 across, 4.5 down
  };
  for (const Case& c : cases) {
    const platform::BaseUnits units = platform::DialogBaseUnits(c.sampleWidth, c.fontHeight);
    EXPECT_EQ(platform::PixelsAcross(units, c.across), c.pixelsAcross) << c.sampleWidth;
    EXPECT_EQ(platform::PixelsDown(units, c.down), c.pixelsDown) << c.sampleWidth;
  }
}

using Composer = ComposerTest;

TEST_F(Composer, CommandTableRoutesEveryCommand) {
  struct Route {
    int first, last;
    std::string firstCall;  // what the command asks of the platform first, "-" for nothing
    bool setsWave;          // currentWaveKind becomes the row
  };
  const Route routes[] = {
      {2, 2, "-", false},  // Escape
      {997, 999, "-", false},
      {1000, 1006, "RunModalDialog 104 101", true},   // "N"
      {1007, 1013, "RunModalDialog 104 101", false},  // "S"
      {1014, 1014, "Chooser 101", false},             // "Save...", cancelled here
      {1015, 1015, "EndDialog 101 0", false},         // "Exit"
      {1016, 1022, "-", false},                       // the labels
      {1023, 1029, "RunModalDialog 103 101", false},  // "..."
      {1030, 1030, "Chooser 101", false},             // open a bank, cancelled here
      {1031, 1031, "-", false},
  };
  for (const Route& route : routes) {
    for (int command = route.first; command <= route.last; ++command) {
      SCOPED_TRACE(command);
      Lines logged;
      fake::Choose(std::nullopt);
      currentWaveKind = -1;
      RunMainWindow([&](fake::Window& main) {
        logged = LoggedBy([&] { EXPECT_EQ(fake::Click(main, command), kTrue); });
      });
      fake::Reset();
      const std::string firstCall = logged.empty() ? "-" : logged.front();
      EXPECT_EQ(firstCall.substr(0, route.firstCall.size()), route.firstCall);
      EXPECT_EQ(currentWaveKind, route.setsWave ? command - route.first : -1);
    }
  }
}

// Which wave "N" plays is the row's wave kind, routed by the command table; the waves
// themselves are brivola-syn render's.
TEST_F(Composer, EachRowPlaysItsSampleAlsoFromTheBankItMakesAndNoiseGoesOn) {
  TempFolder folder;
  const std::string bank = folder.Path("bank.syn");
  std::vector<Bytes> samples;
  RunMainWindow([&](fake::Window& main) {
    for (int row = 0; row < kRowCount; ++row) {
      samples.push_back(RandomBytes(100 + row, row));
      Attach(main, row, folder.Write(std::to_string(row), samples.back()));
      EXPECT_EQ(main.texts[kStatusLabelFirstId + row], "PCM");
      fake::Click(main, kSamplePreviewFirstId + row);
    }
    fake::Click(main, kSynthPreviewFirstId + 5);
    fake::Click(main, kSynthPreviewFirstId + 5);
    // Saved and opened again, each row plays its own block of the bank.
    fake::Choose(bank);
    fake::Click(main, kSaveId);
    fake::Choose(bank);
    fake::Click(main, kOpenBankId);
    for (int row = 0; row < kRowCount; ++row) fake::Click(main, kSamplePreviewFirstId + row);
  });
  EXPECT_STREQ(kChannelRows[0].slot->FileName(), bank.c_str());
  const auto& played = fake::PlayedSounds();
  ASSERT_EQ(played.size(), 16u);
  for (int row = 0; row < kRowCount; ++row) {
    Bytes sample = samples[row];
    sample.resize(kPreviewBytes);  // silence after the file
    EXPECT_EQ(played[row], sample) << row;
    EXPECT_EQ(played[9 + row], sample) << row;
  }
  EXPECT_NE(played[7], played[8]);
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
      // Escape's cancel command and another message leave it open.
      EXPECT_EQ(fake::Click(properties, kIdCancel), kFalse);
      EXPECT_EQ(fake::Send(properties, 0x0200), kFalse);
      EXPECT_EQ(fake::Click(properties, IDC_PROPERTIES_BROWSE), kTrue);
      EXPECT_EQ(properties.texts[IDC_PROPERTIES_FILE_NAME], second);
      fake::Click(properties, IDC_PROPERTIES_BROWSE);  // cancelled: the field empties at once
      EXPECT_EQ(properties.texts[IDC_PROPERTIES_FILE_NAME], "");
      EXPECT_EQ(fake::Send(properties, kWmClose), kTrue);
    });
    logged = LoggedBy([&] { fake::Click(main, kPropertiesFirstId + 2); });
    EXPECT_EQ(main.texts[kStatusLabelFirstId + 2], "-");
    EXPECT_EQ(main.descriptions[kStatusLabelFirstId + 2], "No sample file");
  });
  // The chooser is modal to Channel Properties and opens with the last path chosen.
  const std::string chooser =
      "Chooser 103 76 PCM Wave Format|*.pcm|Sound Files|*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3;"
      "*.aif;*.aiff;*.aifc;*.caf;*.w64;*.rf64;*.au;*.snd|Synth Files(*.syn)|*.syn|All Files|*.*| 1 "
      "200 Open Wave... 528484 pcm [";  // with the preview pane's hook and template 106
  EXPECT_EQ(logged, (Lines{"RunModalDialog 103 101", chooser + first + "] 106",
                           chooser + second + "] 106", "EndDialog 103 0"}));
  EXPECT_EQ(fake::LogOf("EndDialog 103").front(), "EndDialog 103 195");  // the first byte, unsigned
  EXPECT_STREQ(kChannelRows[2].slot->FileName(), "");
  EXPECT_EQ(activeSlot, nullptr);
}

TEST_F(Composer, APreviewSetsUpPlaysLoopingAndReleasesInOrder) {
  RunMainWindow([](fake::Window& main) {
    fake::Script(IDD_SOUND_PREVIEW, [](fake::Window& preview) {
      EXPECT_EQ(fake::Send(preview, kWmClose), kFalse);   // arrives as the cancel command
      EXPECT_EQ(fake::Click(preview, kIdCancel), kTrue);  // which changes nothing
      EXPECT_EQ(fake::Click(preview, IDC_PREVIEW_OK), kTrue);
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
  struct Step {
    const char* call;
    int occurrence;
    Lines releases;
  };
  const Step steps[] = {
      {"CreateAudioDevice", 1, {}},
      {"SetCooperativeLevel", 1, {"ReleaseDevice"}},
      {"CreateSoundBuffer", 1, {"ReleaseDevice"}},
      {"SetBufferFormat", 1, {"ReleaseBuffer primary", "ReleaseDevice"}},
      {"CreateSoundBuffer", 2, {"ReleaseBuffer primary", "ReleaseDevice"}},
      {"LockBuffer",
       1,
       {"StopBuffer", "ReleaseBuffer sound", "ReleaseBuffer primary", "ReleaseDevice"}},
  };
  fake::Window window{IDD_SOUND_PREVIEW, nullptr, {}, {}, {}, {}, {}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.call);
    fake::Reset();
    fake::FailCall(step.call, step.occurrence);
    EXPECT_EQ(StartPreview(&window), -1);
    EXPECT_EQ(fake::Log().back().rfind(step.call, 0), 0u);  // nothing after the failure
    const Lines released = LoggedBy([] { EXPECT_EQ(StopPreview(), 0); });
    EXPECT_EQ(released, step.releases);
  }
}

TEST_F(Composer, SamplePreviewsReadFromTheStartAndTakeNoFifo) {
  TempFolder folder;
  const Bytes longSample = RandomBytes(kPreviewBytes + 3, 7);
  const Bytes firstFiveSeconds(longSample.begin(), longSample.end() - 3);
  mkfifo(folder.Path("fifo").c_str(), 0600);
  RunMainWindow([&](fake::Window& main) {
    fake::Click(main, kSamplePreviewFirstId + 1);  // no file: silence, and OK still closes
    Attach(main, 1, folder.Write("long", longSample));
    fake::Click(main, kSamplePreviewFirstId + 1);
    fake::Click(main, kSamplePreviewFirstId + 1);
    Attach(main, 1, folder.Path("fifo"));  // a FIFO is no sample
    fake::Click(main, kSamplePreviewFirstId + 1);
  });
  EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD), -1);  // no handle 0 taken for a file and closed
  EXPECT_EQ(fake::PlayedSounds(), (std::vector<Bytes>{Bytes(kPreviewBytes), firstFiveSeconds,
                                                      firstFiveSeconds, Bytes(kPreviewBytes)}));
}

}  // namespace
