// The sample chooser's preview pane: its words and picture for each kind of file and
// each failure, and what it plays as the selection moves.
#include "app/file_preview/file_preview.h"

#include <sndfile.h>
#include <sys/stat.h>

#include "platform/dialogs.h"
#include "player/preview_player.h"
#include "support.h"

namespace {

// A 16-bit sound file (Vorbis for Ogg) of a ramp, each channel's sample the frame's index.
std::string WriteSound(const TempFolder& folder, const std::string& name, int format, int rate,
                       int channels, int frames) {
  SF_INFO info{0,        rate,
               channels, format | (format == SF_FORMAT_OGG ? SF_FORMAT_VORBIS : SF_FORMAT_PCM_16),
               0,        0};
  SNDFILE* file = sf_open(folder.Path(name).c_str(), SFM_WRITE, &info);
  std::vector<short> samples;
  for (int frame = 0; frame < frames; ++frame)
    samples.insert(samples.end(), channels, frame % 1000);
  sf_writef_short(file, samples.data(), frames);
  sf_close(file);
  return folder.Path(name);
}

const std::string kCut = "A bank keeps the first 5.94 s.";

TEST_F(ComposerTest, FilePreviewSaysWhatTheRowWouldTakeAndWhyNot) {
  TempFolder folder;
  // A Synth file whose third block holds 2 s: a count of 176,428 bytes, then seven lengths,
  // all with their 4-bit halves exchanged; the samples are zero.
  Bytes bank = {0x2C, 0xB1, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x1B, 0x20, 0};
  bank.resize(bank.size() + 176400 + 16);
  const Bytes flac = ReadBytes(WriteSound(folder, "long.flac", SF_FORMAT_FLAC, 44100, 1, 44100));
  mkfifo(folder.Path("fifo").c_str(), 0600);
  struct Case {
    std::string path, words, cut;
    size_t bytes;
  };
  const Case cases[] = {
      {WriteSound(folder, "a.wav", SF_FORMAT_WAV, 48000, 2, 336000),
       "WAV, 48,000 Hz, stereo, 7.00 s", kCut, 524288},
      {WriteSound(folder, "a.flac", SF_FORMAT_FLAC, 44100, 1, 8820),
       "FLAC, 44,100 Hz, mono, 0.20 s", "", 17640},
      {WriteSound(folder, "a.aiff", SF_FORMAT_AIFF, 22050, 3, 2205),
       "AIFF, 22,050 Hz, 3 channels, 0.10 s", "", 8820},
      {WriteSound(folder, "a.ogg", SF_FORMAT_OGG, 8000, 1, 8000), "Ogg, 8,000 Hz, mono, 1.00 s", "",
       88200},
      {folder.Write("a.pcm", RandomBytes(9702, 1)), "PCM, 44,100 Hz, mono, 0.11 s", "", 9702},
      {folder.Write("long", RandomBytes(524289, 1)), "PCM, 44,100 Hz, mono, 5.94 s", kCut, 524288},
      {folder.Write("bank.syn", bank), "Synth file, block 3, 2.00 s", "", 176400},
      {folder.Write("cut.flac", Bytes(flac.begin(), flac.begin() + flac.size() / 2)),
       "Cannot decode this file", "", 0},
      {folder.Path("fifo"), "Not a file", "", 0},
      {folder.path, "", "", 0},
      {folder.Path("missing.wav"), "", "", 0},
  };
  for (const Case& c : cases) {
    const FilePreview preview = ReadFilePreview(c.path.c_str(), 2);
    EXPECT_EQ(preview.words, c.words) << c.path;
    EXPECT_EQ(preview.cut, c.cut) << c.path;
    EXPECT_EQ(preview.samples.size(), c.bytes) << c.path;
  }
  EXPECT_EQ(fake::LogOf("OpenFileForReading " + folder.Path("fifo")), Lines{});
  // The samples are those the row takes: a lossless file's own.
  EXPECT_EQ(ReadFilePreview(cases[1].path.c_str(), 2).samples[2 * 999], 999 % 256);
  // The open, and a sound file's second read, while it is decoded.
  for (const auto& [call, occurrence] : {std::pair("OpenFileForReading", 1), {"ReadFile", 2}}) {
    fake::Reset();
    fake::FailCall(call, occurrence);
    EXPECT_EQ(ReadFilePreview(cases[0].path.c_str(), 2).words, "Cannot read this file");
  }
}

// Every start of a sound file or a Synth file, as a copy cut short would be, is read
// without a fault (the sanitizers watch) and gets words.
TEST_F(ComposerTest, FilePreviewReadsEveryFileCutShort) {
  TempFolder folder;
  const std::pair<const char*, int> kinds[] = {{"a.wav", SF_FORMAT_WAV},
                                               {"a.aiff", SF_FORMAT_AIFF},
                                               {"a.flac", SF_FORMAT_FLAC},
                                               {"a.syn", 0}};
  for (const auto& [name, format] : kinds) {
    const Bytes whole = format != 0 ? ReadBytes(WriteSound(folder, name, format, 48000, 2, 4000))
                                    : Bytes{0x1C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                            0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t length = 0; length <= whole.size(); length += 1 + length / 8) {
      const std::string cut = folder.Write(name, Bytes(whole.begin(), whole.begin() + length));
      EXPECT_NE(ReadFilePreview(cut.c_str(), 6).words, "") << name << " " << length;
    }
  }
}

TEST(WaveColumns, HoldEachColumnsLowestAndHighestSample) {
  const std::vector<int16_t> square = {-9, -9, 9, 9, -9, -9, 9, 9}, silence(10), ramp = {1, 2, 3};
  struct Case {
    const std::vector<int16_t>& samples;
    int width;
    std::vector<std::pair<int, int>> columns;
  };
  const Case cases[] = {
      {square, 2, {{-9, 9}, {-9, 9}}},
      {silence, 3, {{0, 0}, {0, 0}, {0, 0}}},
      {ramp, 5, {{1, 1}, {1, 1}, {2, 2}, {2, 2}, {3, 3}}},  // fewer samples than columns
      {{}, 4, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<int, int>> columns;
    for (const WaveColumn& column : WaveColumns(c.samples.data(), c.samples.size(), c.width)) {
      columns.emplace_back(column.lowest, column.highest);
    }
    EXPECT_EQ(columns, c.columns) << c.width;
  }
}

// The pane plays the selection as "S" would, a new selection replacing it, until "Play"
// is cleared; a cleared "Play" stays so in the next chooser.
TEST_F(ComposerTest, FilePreviewPlaysTheSelectionWhilePlayIsChecked) {
  TempFolder folder;
  const Bytes longer = RandomBytes(kPreviewBytes + 2, 3), shorter = RandomBytes(5, 4);
  const std::string first = folder.Write("1.pcm", longer), second = folder.Write("2.pcm", shorter);
  std::vector<bool> checkedAtFirst;
  for (int chooser = 0; chooser < 2; ++chooser) {
    fake::Script(kFilePreviewTemplateId, [&](fake::Window& pane) {
      checkedAtFirst.push_back(pane.checked[kFilePreviewPlayId]);
      fake::Select(pane, first);
      EXPECT_EQ(pane.waves[kFilePreviewWaveId].size(), (kPreviewBytes + 2) / 2);
      fake::Select(pane, second);
      pane.checked[kFilePreviewPlayId] = false;
      fake::Click(pane, kFilePreviewPlayId);
      EXPECT_EQ(fake::LiveAudioObjects(), 0);
      fake::Select(pane, first);
    });
    RunMainWindow([&](fake::Window& main) { Attach(main, 1, first); });
  }
  EXPECT_EQ(checkedAtFirst, (std::vector<bool>{true, false}));
  Bytes firstFiveSeconds(longer.begin(), longer.end() - 2), secondPadded = shorter;
  secondPadded.resize(kPreviewBytes);
  EXPECT_EQ(fake::PlayedSounds(), (std::vector<Bytes>{firstFiveSeconds, secondPadded}));
}

}  // namespace
