// A row's sample from a sound file is what brivola-syn convert makes of it; a ".pcm" name
// is read as it is, whatever it holds. (The save reads samples as brivola-syn build does,
// which its command lines show.)
#include <sndfile.h>

#include <cmath>

#include "app/composer.h"
#include "preview/sound_preview.h"
#include "support.h"

namespace {

// Six seconds of a rising tone, 48 kHz, in two channels of 24-bit samples.
std::string WriteSound(const TempFolder& folder, const std::string& name) {
  SF_INFO info{0, 48000, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 0, 0};
  SNDFILE* file = sf_open(folder.Path(name).c_str(), SFM_WRITE, &info);
  std::vector<float> frames(2 * 6 * 48000);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = 0.7f * std::sin(2e-6f * i * i);
  sf_writef_float(file, frames.data(), static_cast<sf_count_t>(frames.size() / 2));
  sf_close(file);
  return folder.Path(name);
}

TEST_F(ComposerTest, ASoundFilePlaysAsConvertWritesItAndAPcmNameIsPlayedAsItIs) {
  TempFolder folder;
  const std::string sound = WriteSound(folder, "take.wav");
  const Bytes wave = ReadBytes(sound);
  const std::string command = BRIVOLA_SYN " convert " + sound + " " + folder.Path("converted");
  ASSERT_EQ(std::system(command.c_str()), 0);
  Bytes converted = ReadBytes(folder.Path("converted"));
  converted.resize(kPreviewBytes);
  RunMainWindow([&](fake::Window& main) {
    Attach(main, 0, sound);
    Attach(main, 1, folder.Write("wave.pcm", wave));
    fake::Click(main, kSamplePreviewFirstId);
    fake::Click(main, kSamplePreviewFirstId + 1);
  });
  EXPECT_EQ(fake::PlayedSounds(),
            (std::vector<Bytes>{converted, Bytes(wave.begin(), wave.begin() + kPreviewBytes)}));
}

}  // namespace
