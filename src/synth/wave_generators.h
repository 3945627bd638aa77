// The seven built-in waves: each generator fills a region of 16-bit little-endian mono
// samples at 44,100 Hz from its start, floor(byteCount / 2) samples, and returns 0.
#pragma once

#include <cstdint>

constexpr uint32_t kSamplesPerSecond = 44100;
constexpr uint32_t kBytesPerSample = 2;

enum WaveKind : int32_t {
  Pulse125 = 0,
  Pulse25 = 1,
  Pulse50 = 2,
  Pulse75 = 3,
  Triangle = 4,
  Noise = 5,
  LoopedNoise = 6,
};

// kind 0-3: low for 12.5, 25, 50 or 75 % of each 440 Hz period.
int GeneratePulse(int32_t kind, void* region, uint32_t byteCount);
// 17 levels from 0 to 4096 and back, each held 10 samples.
int GenerateTriangle(void* region, uint32_t byteCount);
// looped 0: a fresh random level per sample; otherwise a 128-sample table, refilled
// at every call, repeated over the region.
int GenerateNoise(int32_t looped, void* region, uint32_t byteCount);

// Fills the region with the wave of this kind, as its generator above does; a kind
// outside 0-6 leaves the region as it was.
void GenerateWave(int32_t kind, void* region, uint32_t byteCount);

// The process-wide random source: starts at 1, never reseeded. Returns 0-32767.
int32_t NextRandom();
