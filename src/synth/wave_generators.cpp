#include "synth/wave_generators.h"

#include <cstddef>

namespace {

constexpr int16_t kPulseLevel = 2000;
// 44,100 / 440 samples: one period of a 440 Hz tone, as a float (bits 0x42C8745D).
constexpr float kPulsePeriod = 100.22727f;
constexpr float kPulseLowFractions[4] = {0.125f, 0.25f, 0.5f, 0.75f};

constexpr float kTriangleHold = 10.0f;
constexpr uint8_t kTrianglePeak = 16;
constexpr int kTriangleStepSize = 256;

constexpr int kLoopedNoiseLength = 128;
int16_t loopedNoiseTable[kLoopedNoiseLength];

uint32_t randomState = 1;

inline void WriteSample(uint8_t* region, size_t index, int16_t sample) {
  const auto bits = static_cast<uint16_t>(sample);
  region[2 * index] = static_cast<uint8_t>(bits & 0xFF);
  region[2 * index + 1] = static_cast<uint8_t>(bits >> 8);
}

// A 4-bit level 0-15, scaled to 0-960.
inline int16_t NoiseSample() { return static_cast<int16_t>((NextRandom() >> 11) * 64); }

}  // namespace

int32_t NextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
}

int GeneratePulse(int32_t kind, void* region, uint32_t byteCount) {
  auto* out = static_cast<uint8_t*>(region);
  const size_t sampleCount = byteCount / 2;
  // Phase 0 is the low phase, phase 1 the high one. Every step stays in float: the
  // carried fraction decides where each run ends, bit for bit.
  const float low = kPulseLowFractions[kind];
  const float phaseLength[2] = {low * kPulsePeriod, (1.0f - low) * kPulsePeriod};
  int16_t level = kPulseLevel;
  float accumulator = 0.0f;
  int phase = 0;
  for (size_t i = 0; i < sampleCount; ++i) {
    WriteSample(out, i, level);
    accumulator -= 1.0f;
    if (accumulator <= 0.0f) {
      level = static_cast<int16_t>(-level);
      accumulator += phaseLength[phase];
      phase = 1 - phase;
    }
  }
  return 0;
}

int GenerateTriangle(void* region, uint32_t byteCount) {
  auto* out = static_cast<uint8_t*>(region);
  const size_t sampleCount = byteCount / 2;
  uint8_t step = 0;
  uint8_t direction = 1;  // 255 steps down: the sum wraps modulo 256
  int16_t sample = 0;
  float accumulator = 0.0f;
  for (size_t i = 0; i < sampleCount; ++i) {
    WriteSample(out, i, sample);
    accumulator -= 1.0f;
    while (accumulator <= 0.0f) {
      step = static_cast<uint8_t>(step + direction);
      if (step == kTrianglePeak) direction = 255;
      if (step == 0) direction = 1;
      sample = static_cast<int16_t>(step * kTriangleStepSize);
      accumulator += kTriangleHold;
    }
  }
  return 0;
}

int GenerateNoise(int32_t looped, void* region, uint32_t byteCount) {
  auto* out = static_cast<uint8_t*>(region);
  const size_t sampleCount = byteCount / 2;
  if (looped == 0) {
    for (size_t i = 0; i < sampleCount; ++i) WriteSample(out, i, NoiseSample());
    return 0;
  }
  for (int16_t& entry : loopedNoiseTable) entry = NoiseSample();
  for (size_t i = 0; i < sampleCount; ++i) {
    WriteSample(out, i, loopedNoiseTable[i % kLoopedNoiseLength]);
  }
  return 0;
}

void GenerateWave(int32_t kind, void* region, uint32_t byteCount) {
  switch (kind) {
    case Pulse125:
    case Pulse25:
    case Pulse50:
    case Pulse75:
      GeneratePulse(kind, region, byteCount);
      break;
    case Triangle:
      GenerateTriangle(region, byteCount);
      break;
    case Noise:
      GenerateNoise(0, region, byteCount);
      break;
    case LoopedNoise:
      GenerateNoise(1, region, byteCount);
      break;
    default:
      break;
  }
}
