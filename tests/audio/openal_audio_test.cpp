// The OpenAL backend refuses what DirectSound refuses, with a negative status and null
// out-parameters, so the preview's failure paths behave alike on both.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/audio.h"
#include "preview/sound_preview.h"

namespace {

using namespace platform;

constexpr WaveFormat kFormat{kWaveFormatPcm, 1, 44100, 88200, 2, 16, 18};
constexpr BufferDescription kPrimary{kDsBufferDescriptionSize, kDsbCapsPrimaryBuffer, 0, 0, nullptr};
constexpr BufferDescription kSound{kDsBufferDescriptionSize, 0, kPreviewBytes, 0, &kFormat};

// A pointer that a failing call must overwrite with null.
AudioBuffer* Garbage() {
  static int anything;
  return reinterpret_cast<AudioBuffer*>(&anything);
}

TEST(OpenAlAudio, RefusesBadRequestsAndKeepsOutParametersNull) {
  AudioDevice* device = nullptr;
  ASSERT_EQ(CreateAudioDevice(&device), 0);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(SetCooperativeLevel(device, nullptr, kDsSclPriority), 0);

  AudioBuffer* refused = Garbage();
  EXPECT_LT(CreateSoundBuffer(device, kSound, &refused), 0) << "before the output format";
  EXPECT_EQ(refused, nullptr);
  BufferDescription shortRecord = kPrimary;
  shortRecord.size = kDsBufferDescriptionSize - 16;
  refused = Garbage();
  EXPECT_LT(CreateSoundBuffer(device, shortRecord, &refused), 0);
  EXPECT_EQ(refused, nullptr);

  AudioBuffer* primary = nullptr;
  ASSERT_EQ(CreateSoundBuffer(device, kPrimary, &primary), 0);
  void* region1 = Garbage();
  void* region2 = Garbage();
  uint32_t length1 = 1;
  uint32_t length2 = 1;
  EXPECT_LT(LockBuffer(primary, 0, 2, &region1, &length1, &region2, &length2, 0), 0)
      << "the primary buffer holds no samples";
  EXPECT_EQ(region1, nullptr);
  EXPECT_EQ(region2, nullptr);
  EXPECT_EQ(length1 + length2, 0u);
  ASSERT_EQ(SetBufferFormat(primary, kFormat), 0);

  BufferDescription noFormat = kSound;
  noFormat.format = nullptr;
  refused = Garbage();
  EXPECT_LT(CreateSoundBuffer(device, noFormat, &refused), 0);
  EXPECT_EQ(refused, nullptr);

  AudioBuffer* sound = nullptr;
  ASSERT_EQ(CreateSoundBuffer(device, kSound, &sound), 0);
  EXPECT_LT(SetBufferFormat(sound, kFormat), 0) << "only the primary buffer sets the format";
  EXPECT_LT(LockBuffer(sound, kPreviewBytes - 2, 4, &region1, &length1, &region2, &length2, 0), 0)
      << "past the end";
  EXPECT_EQ(region1, nullptr);

  ASSERT_EQ(LockBuffer(sound, 0, kPreviewBytes, &region1, &length1, &region2, &length2, 0), 0);
  ASSERT_EQ(length1, kPreviewBytes);
  EXPECT_EQ(region2, nullptr);
  EXPECT_EQ(length2, 0u);
  const auto* bytes = static_cast<const uint8_t*>(region1);
  EXPECT_TRUE(std::all_of(bytes, bytes + length1, [](uint8_t byte) { return byte == 0; }))
      << "a new buffer is silence";
  EXPECT_LT(UnlockBuffer(sound, static_cast<uint8_t*>(region1) + 2, length1, nullptr, 0), 0)
      << "a region that runs past the buffer";
  EXPECT_EQ(UnlockBuffer(sound, region1, length1, region2, length2), 0);
  EXPECT_EQ(PlayBuffer(sound, 0, 0, kDsbPlayLooping), 0);
  EXPECT_EQ(StopBuffer(sound), 0);

  EXPECT_EQ(ReleaseBuffer(sound), 0u);
  EXPECT_EQ(ReleaseBuffer(primary), 0u);
  EXPECT_EQ(ReleaseDevice(device), 0u);
}

}  // namespace
