#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "app/composer.h"
#include "preview/sound_preview.h"
#include "synth/wave_generators.h"
#include "test_support.h"

namespace {

constexpr uint32_t kBufferSamples = kPreviewBytes / 2;

std::vector<int16_t> Generate(int (*fill)(void*, uint32_t), uint32_t samples) {
  Bytes bytes(2 * samples);
  EXPECT_EQ(fill(bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
  return Samples(bytes);
}

std::vector<int16_t> Pulse(int kind, uint32_t samples = kBufferSamples) {
  Bytes bytes(2 * samples);
  EXPECT_EQ(GeneratePulse(kind, bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
  return Samples(bytes);
}

std::vector<int16_t> NoiseSamples(int looped, uint32_t samples) {
  Bytes bytes(2 * samples);
  EXPECT_EQ(GenerateNoise(looped, bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
  return Samples(bytes);
}

// Runs of equal samples, as (value, length).
std::vector<std::pair<int16_t, int>> Runs(const std::vector<int16_t>& samples) {
  std::vector<std::pair<int16_t, int>> runs;
  for (int16_t sample : samples) {
    if (runs.empty() || runs.back().first != sample) runs.push_back({sample, 0});
    ++runs.back().second;
  }
  return runs;
}

std::vector<int> Lengths(const std::vector<std::pair<int16_t, int>>& runs, size_t count) {
  std::vector<int> lengths;
  for (size_t i = 0; i < count && i < runs.size(); ++i) lengths.push_back(runs[i].second);
  return lengths;
}

// The noise's random source, written out independently: state * 214013 + 2531011.
struct ReferenceRandom {
  uint32_t state = 1;
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
  int16_t NextNoise() { return static_cast<int16_t>((Next() >> 11) * 64); }
};

}  // namespace

TEST(PulseWave, RunsAtTheStartOfEachDuty) {
  // One +2000 sample, then alternating low and high runs of the duty's phase lengths.
  const std::vector<int> expected[4] = {
      {1, 12, 88, 12, 88, 12, 88, 13, 87},
      {1, 25, 75, 25, 75},
      {1, 50, 50, 50, 50, 50, 50, 50, 50, 51},
      {1, 75, 25, 75, 25},
  };
  for (int kind = 0; kind < 4; ++kind) {
    const auto runs = Runs(Pulse(kind, 2000));
    EXPECT_EQ(Lengths(runs, expected[kind].size()), expected[kind]) << "kind " << kind;
    for (size_t i = 0; i < runs.size(); ++i) {
      ASSERT_EQ(runs[i].first, i % 2 == 0 ? 2000 : -2000) << "kind " << kind << " run " << i;
    }
  }
}

TEST(PulseWave, FiveSecondsHold4401RunsAndLoopWithoutSeam) {
  const float lowFractions[4] = {0.125f, 0.25f, 0.5f, 0.75f};
  for (int kind = 0; kind < 4; ++kind) {
    const auto samples = Pulse(kind);
    const auto runs = Runs(samples);
    EXPECT_EQ(runs.size(), 4401u) << "kind " << kind;
    // The buffer ends on a +2000 run, which joins the +2000 first sample in the loop.
    EXPECT_EQ(samples.back(), 2000) << "kind " << kind;
    // Every run is within one sample of its phase's length (the carried fraction makes
    // some a sample longer), and the final run together with the first sample makes
    // one whole high phase: the loop has no seam.
    const double lowLength = lowFractions[kind] * 44100.0 / 440.0;
    const double highLength = (1.0 - lowFractions[kind]) * 44100.0 / 440.0;
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
      const double ideal = i % 2 == 1 ? lowLength : highLength;
      ASSERT_LT(std::abs(runs[i].second - ideal), 1.0) << "kind " << kind << " run " << i;
    }
    EXPECT_LT(std::abs(runs.back().second + 1 - highLength), 1.0) << "kind " << kind;
  }
}

TEST(TriangleWave, StepsAndPeaks) {
  const auto samples = Generate(GenerateTriangle, kBufferSamples);
  EXPECT_EQ(samples[0], 0);
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(samples[i], 256) << i;
  for (int i = 10; i <= 19; ++i) EXPECT_EQ(samples[i], 512) << i;
  for (int i = 150; i <= 159; ++i) EXPECT_EQ(samples[i], 4096) << i;
  EXPECT_EQ(samples[149], 3840);
  EXPECT_EQ(samples[160], 3840);
  for (int i = 310; i <= 319; ++i) EXPECT_EQ(samples[i], 0) << i;
  for (int i = 320; i <= 329; ++i) EXPECT_EQ(samples[i], 256) << i;
  for (int i = 470; i <= 479; ++i) EXPECT_EQ(samples[i], 4096) << i;
  // 320 samples a period after the shortened first step; 17 levels, never negative.
  for (size_t i = 1; i + 320 < samples.size(); ++i) ASSERT_EQ(samples[i + 320], samples[i]) << i;
  for (int16_t sample : samples) {
    ASSERT_TRUE(sample >= 0 && sample <= 4096 && sample % 256 == 0) << sample;
  }
}

TEST(Generators, WriteWholeSamplesOnlyAndNothingForAnEmptyRegion) {
  for (uint32_t byteCount : {0u, 1u, 7u}) {
    Bytes region(8, 0xAB);
    GeneratePulse(Pulse50, region.data(), byteCount);
    GenerateTriangle(region.data(), byteCount);
    for (uint32_t i = byteCount / 2 * 2; i < region.size(); ++i) {
      EXPECT_EQ(region[i], 0xAB) << "byte " << i << " of a " << byteCount << "-byte region";
    }
  }
  // Little-endian: -2000 is 0xF830.
  Bytes region(4);
  GeneratePulse(Pulse125, region.data(), 4);
  EXPECT_EQ(region, (Bytes{0xD0, 0x07, 0x30, 0xF8}));
}

// Runs in a process of its own (see tests/CMakeLists.txt): it needs the random source
// exactly as the program starts.
TEST(FreshRandomSource, NoiseDrawsContinueAcrossCallsAndPreviews) {
  ReferenceRandom reference;

  // The first noise of the run.
  const auto first = NoiseSamples(0, 8);
  EXPECT_EQ(first, (std::vector<int16_t>{0, 576, 192, 768, 576, 448, 320, 896}));
  for (int i = 0; i < 8; ++i) reference.NextNoise();

  // An empty region draws nothing; values are 4-bit levels times 64.
  EXPECT_EQ(GenerateNoise(0, nullptr, 0), 0);
  const auto random = NoiseSamples(0, 5000);
  for (int16_t sample : random) {
    ASSERT_EQ(sample, reference.NextNoise());
    ASSERT_TRUE(sample >= 0 && sample <= 960 && sample % 64 == 0);
  }

  // Looped noise draws 128 values even for an empty region, then repeats its table.
  Bytes nothing(4, 0xAB);
  GenerateNoise(1, nothing.data(), 0);
  EXPECT_EQ(nothing, Bytes(4, 0xAB));
  for (int i = 0; i < 128; ++i) reference.NextNoise();
  const auto looped = NoiseSamples(1, kBufferSamples);
  for (int i = 0; i < 128; ++i) ASSERT_EQ(looped[i], reference.NextNoise()) << i;
  for (size_t i = 128; i < looped.size(); ++i) ASSERT_EQ(looped[i], looped[i - 128]) << i;
  const auto loopedAgain = NoiseSamples(1, 256);
  EXPECT_NE(std::vector<int16_t>(loopedAgain.begin(), loopedAgain.begin() + 128),
            std::vector<int16_t>(looped.begin(), looped.begin() + 128));
  for (int i = 0; i < 128; ++i) reference.NextNoise();

  // "N" of the random-noise row twice: the second preview continues the sequence.
  fake::Reset();
  RunMainWindow([](fake::Window& main) {
    fake::Click(main, kSynthPreviewFirstId + 5);
    fake::Click(main, kSynthPreviewFirstId + 5);
  });
  ASSERT_EQ(fake::PlayedSounds().size(), 2u);
  for (const fake::PlayedSound& played : fake::PlayedSounds()) {
    const auto samples = Samples(played.bytes);
    ASSERT_EQ(samples.size(), kBufferSamples);
    for (size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(samples[i], reference.NextNoise()) << i;
  }
  EXPECT_EQ(NextRandom(), reference.Next());
}
