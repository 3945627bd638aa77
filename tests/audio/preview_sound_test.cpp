// What the user hears: each preview played through OpenAL Soft and captured by its wave
// writer, sample for sample.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "app/composer.h"
#include "fakes.h"
#include "preview/sound_preview.h"
#include "resources/resource_ids.h"
#include "synth/wave_generators.h"
#include "wave_capture.h"

namespace {

constexpr size_t kPreviewSamples = kPreviewBytes / 2;
constexpr size_t kRate = 44100;
// How much of each synthesized wave is compared: a fifth of a second.
constexpr size_t kComparedSamples = kRate / 5;

using Generator = std::function<void(void* region, uint32_t byteCount)>;

Samples FromBytes(const std::vector<uint8_t>& bytes) {
  Samples samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return samples;
}

Samples Generated(const Generator& generate) {
  std::vector<uint8_t> region(kPreviewBytes);
  generate(region.data(), kPreviewBytes);
  return FromBytes(region);
}

// The noise generators draw from the one random source of the process. Generating the
// expectation here would move that source on, so a copy of the process generates it
// and this process keeps the state the preview will draw from.
Samples GeneratedInCopyOfProcess(const Generator& generate) {
  int channel[2];
  if (pipe(channel) != 0) {
    ADD_FAILURE() << "no pipe";
    return {};
  }
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    std::vector<uint8_t> region(kPreviewBytes);
    generate(region.data(), kPreviewBytes);
    for (size_t sent = 0; sent < region.size();) {
      const ssize_t count = write(channel[1], region.data() + sent, region.size() - sent);
      if (count <= 0) _exit(1);
      sent += static_cast<size_t>(count);
    }
    _exit(0);
  }
  close(channel[1]);
  std::vector<uint8_t> bytes(kPreviewBytes);
  size_t received = 0;
  while (received < bytes.size()) {
    const ssize_t count = read(channel[0], bytes.data() + received, bytes.size() - received);
    if (count <= 0) break;
    received += static_cast<size_t>(count);
  }
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(received, bytes.size());
  return FromBytes(bytes);
}

Samples ExpectedWave(WaveKind kind) {
  switch (kind) {
    case Triangle:
      return Generated([](void* region, uint32_t bytes) { GenerateTriangle(region, bytes); });
    case Noise:
    case LoopedNoise:
      return GeneratedInCopyOfProcess([kind](void* region, uint32_t bytes) {
        GenerateNoise(kind == LoopedNoise, region, bytes);
      });
    default:
      return Generated([kind](void* region, uint32_t bytes) { GeneratePulse(kind, region, bytes); });
  }
}

Samples RandomSamples(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  Samples samples(count);
  for (int16_t& sample : samples) sample = static_cast<int16_t>(random());
  return samples;
}

Samples Slice(const Samples& samples, size_t start, size_t count) {
  return Samples(samples.begin() + start, samples.begin() + start + count);
}

// A folder for sample files, removed with them.
class SampleFolder {
 public:
  SampleFolder() {
    std::string pattern = std::filesystem::temp_directory_path() / "brivola-samples-XXXXXX";
    path_ = mkdtemp(pattern.data());
  }
  ~SampleFolder() { std::filesystem::remove_all(path_); }
  SampleFolder(const SampleFolder&) = delete;
  SampleFolder& operator=(const SampleFolder&) = delete;

  // Writes the samples as a headerless 16-bit little-endian file; returns its path.
  std::string Write(const std::string& name, const Samples& samples) const {
    std::vector<char> bytes;
    for (const int16_t sample : samples) {
      bytes.push_back(static_cast<char>(sample & 0xFF));
      bytes.push_back(static_cast<char>(static_cast<uint16_t>(sample) >> 8));
    }
    const std::string path = path_ + "/" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

 private:
  std::string path_;
};

// Runs the main window: the user's actions, then "Exit".
void RunMainWindow(const std::function<void(fake::Window& main)>& actions) {
  fake::Script(IDD_COMPOSER, [&](fake::Window& main) {
    actions(main);
    fake::Click(main, kExitId);
  });
  EXPECT_EQ(RunComposer(), 0);
}

// Presses a preview button and listens until the capture holds `count` samples of the
// sound, then presses OK. Returns the capture.
Samples Listen(fake::Window& main, int button, size_t count) {
  fake::Script(IDD_SOUND_PREVIEW, [count](fake::Window& preview) {
    WaitForSoundSamples(count);
    fake::Click(preview, IDC_PREVIEW_OK);
  });
  fake::Click(main, button);
  return ReadCapture();
}

// "..." of the row, then "..." in Channel Properties answered with the path, then OK.
void AttachThroughProperties(fake::Window& main, int row, const std::string& path) {
  fake::Choose(path);
  fake::Script(IDD_CHANNEL_PROPERTIES, [](fake::Window& properties) {
    fake::Click(properties, IDC_PROPERTIES_BROWSE);
    fake::Click(properties, platform::kIdOk);
  });
  fake::Click(main, kPropertiesFirstId + row);
  EXPECT_EQ(fake::ControlText(main, kStatusLabelFirstId + row), "PCM");
}

// The capture is silence, then the first `count` expected samples exactly.
void ExpectSilenceThen(const Samples& captured, const Samples& expected, size_t count) {
  const size_t start = FindSignalStart(captured, expected, count);
  if (start == kNotFound) {
    const auto sound = std::find_if(captured.begin(), captured.end(), [](int16_t s) { return s != 0; });
    ADD_FAILURE() << "the capture (" << captured.size() << " samples) does not hold the "
                  << count << " expected samples; the first sound is at "
                  << (sound - captured.begin()) << ": "
                  << ::testing::PrintToString(Samples(sound, std::min(sound + 8, captured.end())))
                  << ", expected " << ::testing::PrintToString(Slice(expected, 0, 8));
    return;
  }
  EXPECT_TRUE(std::all_of(captured.begin(), captured.begin() + start,
                          [](int16_t sample) { return sample == 0; }))
      << "something played before the sound started at " << start;
}

class SynthesizedPreviewSound : public ::testing::TestWithParam<int> {};

TEST_P(SynthesizedPreviewSound, IsTheGeneratorOutputBitForBit) {
  const int row = GetParam();
  const auto kind = static_cast<WaveKind>(row);  // row r's "N" plays wave r
  const Samples expected = ExpectedWave(kind);
  Samples captured;
  RunMainWindow([&](fake::Window& main) {
    captured = Listen(main, kSynthPreviewFirstId + row, kComparedSamples);
  });
  EXPECT_EQ(currentWaveKind, kind);
  ExpectSilenceThen(captured, expected, kComparedSamples);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, SynthesizedPreviewSound, ::testing::Range(0, kRowCount));

TEST(SamplePreviewSound, PlaysTheFileThenSilence) {
  constexpr int kRow = 4;
  const SampleFolder folder;
  const Samples file = RandomSamples(kRate / 5, 1);
  Samples expected = file;
  expected.resize(file.size() + kRate / 5, 0);  // what the file did not fill stays silent
  const std::string path = folder.Write("short.pcm", file);
  Samples captured;
  RunMainWindow([&](fake::Window& main) {
    AttachThroughProperties(main, kRow, path);
    captured = Listen(main, kSamplePreviewFirstId + kRow, expected.size());
  });
  ExpectSilenceThen(captured, expected, expected.size());
}

TEST(SamplePreviewSound, LoopsTheFirstFiveSecondsOfALongerFile) {
  constexpr int kRow = 2;
  const size_t repeated = kRate / 10;
  const SampleFolder folder;
  const Samples file = RandomSamples(kPreviewSamples + kRate, 2);
  // Only a restart at sample 0, not a file that plays on, gives these samples again.
  ASSERT_NE(Slice(file, kPreviewSamples, repeated), Slice(file, 0, repeated));
  Samples expected = Slice(file, 0, kPreviewSamples);
  expected.insert(expected.end(), file.begin(), file.begin() + repeated);
  const std::string path = folder.Write("long.pcm", file);
  Samples captured;
  RunMainWindow([&](fake::Window& main) {
    AttachThroughProperties(main, kRow, path);
    captured = Listen(main, kSamplePreviewFirstId + kRow, expected.size());
  });
  ExpectSilenceThen(captured, expected, expected.size());
}

TEST(PreviewWithoutDevice, StaysSilentAndTriesTheDeviceAgainNextTime) {
  // Without its folder the wave writer cannot open its file: OpenAL has no device.
  std::filesystem::remove_all(CaptureFolder());
  platform::AudioDevice* device = nullptr;
  EXPECT_LT(platform::CreateAudioDevice(&device), 0);
  EXPECT_EQ(device, nullptr);

  activeSlot = nullptr;
  currentWaveKind = Pulse50;
  EXPECT_EQ(StartPreview(nullptr), -1);
  EXPECT_EQ(previewPlayer.device, nullptr);
  EXPECT_EQ(previewPlayer.primaryBuffer, nullptr);
  EXPECT_EQ(previewPlayer.soundBuffer, nullptr);
  EXPECT_EQ(StopPreview(), 0);
  EXPECT_EQ(previewPlayer.device, nullptr);

  // The device is back: the next preview opens it and plays.
  std::filesystem::create_directory(CaptureFolder());
  const Samples expected = ExpectedWave(Pulse50);
  Samples captured;
  RunMainWindow([&](fake::Window& main) {
    captured = Listen(main, kSynthPreviewFirstId + Pulse50, kComparedSamples);
  });
  ExpectSilenceThen(captured, expected, kComparedSamples);
}

}  // namespace
