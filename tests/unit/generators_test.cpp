// The seven waves, sample for sample, against values worked out here independently.
#include <cmath>

#include "support.h"
#include "synth/wave_generators.h"

namespace {

constexpr size_t kPreviewSamples = 220500;

Bytes Wave(int kind, size_t bytes) {
  Bytes region(bytes, 0xAA);
  GenerateWave(kind, region.data(), static_cast<uint32_t>(bytes));
  return region;
}

// The random source as documented: x = x * 214013 + 2531011, 15 bits from bit 16.
struct Lcg {
  uint32_t state = 1;
  int16_t NextNoise() {
    state = state * 214013u + 2531011u;
    return static_cast<int16_t>(((state >> 16) & 0x7FFF) >> 11) * 64;
  }
};

// The noise of a run's first calls, taken before any test draws from the random source:
// eight samples, an empty region of each kind, one sample, then two looped regions.
struct FirstNoise {
  Bytes eight = Wave(Noise, 16), none = Wave(Noise, 0), loopedNone = Wave(LoopedNoise, 0);
  Bytes one = Wave(Noise, 2), looped = Wave(LoopedNoise, 600), loopedAgain = Wave(LoopedNoise, 600);
} const firstNoise;

std::vector<std::pair<int16_t, size_t>> Runs(const Bytes& bytes) {
  const std::vector<int16_t> wave = Samples(bytes);
  std::vector<std::pair<int16_t, size_t>> runs;
  for (size_t i = 0; i < wave.size(); ++i) {
    if (runs.empty() || runs.back().first != wave[i]) runs.push_back({wave[i], 0});
    ++runs.back().second;
  }
  return runs;
}

TEST(Generators, PulseRunsFollowTheDutyCycleAndLoopSeamlessly) {
  const double period = 44100.0 / 440.0;
  const double lowFraction[4] = {0.125, 0.25, 0.5, 0.75};
  for (int kind = Pulse125; kind <= Pulse75; ++kind) {
    SCOPED_TRACE(kind);
    const auto runs = Runs(Wave(kind, 2 * kPreviewSamples));
    ASSERT_EQ(runs.size(), 4401u);
    EXPECT_EQ(runs.front(), std::make_pair(int16_t{2000}, size_t{1}));
    EXPECT_EQ(runs.back().first, 2000);  // joins the first sample when the buffer loops
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
      const bool low = i % 2 == 1;
      const double length = (low ? lowFraction[kind] : 1 - lowFraction[kind]) * period;
      EXPECT_EQ(runs[i].first, low ? -2000 : 2000);
      EXPECT_TRUE(runs[i].second == size_t(length) || runs[i].second == size_t(length) + 1)
          << "run " << i << " of " << runs[i].second;
    }
  }
  // The carried fraction decides where each run ends.
  const auto narrow = Runs(Wave(Pulse125, 2 * 800));
  const size_t narrowRuns[] = {1, 12, 88, 12, 88, 12, 88, 13, 87};
  for (size_t i = 0; i < std::size(narrowRuns); ++i)
    EXPECT_EQ(narrow[i].second, narrowRuns[i]) << i;
  const auto square = Runs(Wave(Pulse50, 2 * 800));
  for (size_t i = 1; i <= 9; ++i) EXPECT_EQ(square[i].second, i == 9 ? 51u : 50u) << i;
}

TEST(Generators, TriangleStepsUpAndDownEveryTenSamples) {
  const std::vector<int16_t> wave = Samples(Wave(Triangle, 2 * kPreviewSamples));
  for (size_t i = 0; i < kPreviewSamples; ++i) {
    const size_t step = i == 0 ? 0 : (i / 10 + 1) % 32;
    const int expected = 256 * static_cast<int>(step <= 16 ? step : 32 - step);
    ASSERT_EQ(wave[i], expected) << "sample " << i;
  }
}

TEST(Generators, NoiseDrawsFromTheRandomSourceInOrder) {
  const int16_t documented[] = {0, 576, 192, 768, 576, 448, 320, 896};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(Samples(firstNoise.eight)[i], documented[i]) << i;
  // An empty region draws nothing, an empty looped one still refills its 128 entries.
  Lcg lcg;
  for (int draw = 0; draw < 8 + 128; ++draw) lcg.NextNoise();
  EXPECT_EQ(Samples(firstNoise.one)[0], lcg.NextNoise());
  for (const Bytes* looped : {&firstNoise.looped, &firstNoise.loopedAgain}) {
    int16_t table[128];
    for (int16_t& entry : table) entry = lcg.NextNoise();
    const std::vector<int16_t> samples = Samples(*looped);
    for (size_t i = 0; i < 300; ++i) ASSERT_EQ(samples[i], table[i % 128]) << i;
  }
  EXPECT_NE(firstNoise.looped, firstNoise.loopedAgain);
}

TEST(Generators, WriteWholeSamplesOnlyAndUnknownKindsNothing) {
  for (int kind = Pulse125; kind <= LoopedNoise + 1; ++kind) {
    const Bytes odd = Wave(kind, 3);
    EXPECT_EQ(odd[2], 0xAA) << kind;
    EXPECT_EQ(odd[0] == 0xAA, kind > LoopedNoise) << kind;
  }
  EXPECT_EQ(firstNoise.none, Bytes{});
  EXPECT_EQ(firstNoise.loopedNone, Bytes{});
}

}  // namespace
