// A row's samples from each kind of file: a sound file is what brivola-syn convert
// makes of it, in the preview, the save and build alike; a ".pcm" name is read as it is
// whatever it holds; a Synth file gives its block; a file of a kind that cannot be read
// refuses the save.
#include <sndfile.h>

#include <cmath>

#include "app/composer.h"
#include "support.h"

namespace {

// Six seconds of a rising tone, 48 kHz, in two channels, in the format given.
std::string WriteSound(const TempFolder& folder, const std::string& name, int format) {
  SF_INFO info{0, 48000, 2, format, 0, 0};
  SNDFILE* file = sf_open(folder.Path(name).c_str(), SFM_WRITE, &info);
  std::vector<float> frames(2 * 6 * 48000);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = 0.7f * std::sin(2e-6f * i * i);
  sf_writef_float(file, frames.data(), static_cast<sf_count_t>(frames.size() / 2));
  sf_close(file);
  return folder.Path(name);
}

// The first count bytes of what convert writes for the file.
Bytes Converted(const std::string& path, size_t count) {
  EXPECT_EQ(std::system((BRIVOLA_SYN " convert '" + path + "' '" + path + ".pcm'").c_str()), 0);
  Bytes bytes = ReadBytes(path + ".pcm");
  bytes.resize(std::min(bytes.size(), count));
  return bytes;
}

struct SampleKinds : ComposerTest {
  TempFolder folder;
};

TEST_F(SampleKinds, SoundFilesPlayAndSaveAsConvertWritesThemAndAPcmNameStaysRaw) {
  const std::string sounds[] = {WriteSound(folder, "take.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24),
                                WriteSound(folder, "take.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24),
                                WriteSound(folder, "take.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS),
                                WriteSound(folder, "take.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24)};
  const Bytes wave = ReadBytes(sounds[0]);
  const std::string rows[kRowCount] = {
      sounds[0], sounds[1], sounds[2], sounds[3], folder.Write("wave.pcm", wave),
      sounds[0], sounds[1]};
  RunMainWindow([&](fake::Window& main) {
    for (int row = 0; row < kRowCount; ++row) Attach(main, row, rows[row]);
    for (int row = 0; row < 5; ++row) fake::Click(main, kSamplePreviewFirstId + row);
    fake::Choose(folder.Path("bank.syn"));
    fake::Click(main, kSaveId);
  });
  const auto& played = fake::PlayedSounds();
  for (int row = 0; row < 4; ++row) EXPECT_EQ(played[row], Converted(rows[row], 441000));
  EXPECT_EQ(played[4], Bytes(wave.begin(), wave.begin() + 441000));
  std::vector<Bytes> saved;
  for (const auto& row : rows) saved.push_back(row == rows[4] ? wave : Converted(row, 524288));
  EXPECT_EQ(ReadBytes(folder.Path("bank.syn")), SynthFileOf(saved));
}

TEST_F(SampleKinds, BuildTakesSoundAndSynthFilesAsTheirConvertedAndExtractedSamples) {
  std::vector<Bytes> samples;
  for (uint32_t row = 0; row < kRowCount; ++row) samples.push_back(RandomBytes(1000 * row, row));
  const std::string old = folder.Write("old.syn", SynthFileOf(samples));
  WriteSound(folder, "take.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  const std::string script =
      "set -e; T=" BRIVOLA_SYN "; o=old.syn; cd " + folder.path +
      "; $T build -o new.syn $o $o take.flac $o $o $o $o; $T extract $o -d x; $T convert take.flac "
      "take.pcm; $T build -o expected.syn x/pulse[12].pcm take.pcm x/pulse4.pcm x/triangle.pcm "
      "x/noise?.pcm; $T build -o $o $o $o $o $o $o $o $o";
  EXPECT_EQ(std::system(("bash -c '" + script + "'").c_str()), 0);
  EXPECT_EQ(ReadBytes(folder.Path("new.syn")), ReadBytes(folder.Path("expected.syn")));
  EXPECT_EQ(ReadBytes(old), SynthFileOf(samples));  // all seven rows from it, saved over it
}

TEST_F(SampleKinds, ACorruptSoundFileOrAMalformedSynthFileFailsTheSaveAndKeepsTheTarget) {
  const std::string target = folder.Write("target.syn", {1, 2, 3});
  const std::pair<const char*, std::string> unreadable[] = {{"corrupt.wav", "RIFF....WAVE"},
                                                            {"bad.syn", "xyz"}};
  RunMainWindow([&](fake::Window& main) {
    for (const auto& [name, bytes] : unreadable) {
      const std::string path = folder.Write(name, {bytes.begin(), bytes.end()});
      for (int row = 0; row < kRowCount; ++row) Attach(main, row, path);
      fake::Choose(target);
      fake::Click(main, kSaveId);
    }
  });
  EXPECT_EQ(fake::LogOf("MessageBox"), Lines(2, "MessageBox 101 Could Not Save File. Error 64"));
  EXPECT_EQ(ReadBytes(target), (Bytes{1, 2, 3}));
}

}  // namespace
