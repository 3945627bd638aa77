#include "player/preview_player.h"

#include "synth/wave_generators.h"

PreviewPlayer previewPlayer;

namespace {

constexpr platform::WaveFormat PreviewFormat() {
  constexpr uint16_t channels = 1;
  constexpr uint16_t bitsPerSample = 8 * kBytesPerSample;
  constexpr uint16_t blockAlign = channels * bitsPerSample / 8;
  return {platform::kWaveFormatPcm,
          channels,
          kSamplesPerSecond,
          blockAlign * kSamplesPerSecond,
          blockAlign,
          bitsPerSample,
          18};
}

}  // namespace

int StartPreview(platform::WindowHandle window, PreviewFill fill) {
  using namespace platform;
  if (CreateAudioDevice(&previewPlayer.device) < 0) return -1;
  if (SetCooperativeLevel(previewPlayer.device, window, kDsSclPriority) < 0) return -1;

  BufferDescription description{};
  description.size = platform::kDsBufferDescriptionSize;
  description.flags = kDsbCapsPrimaryBuffer;
  if (CreateSoundBuffer(previewPlayer.device, description, &previewPlayer.primaryBuffer) < 0) {
    return -1;
  }
  const WaveFormat format = PreviewFormat();
  if (SetBufferFormat(previewPlayer.primaryBuffer, format) < 0) return -1;

  description.flags = 0;
  description.bufferBytes = kPreviewBytes;
  description.format = &format;
  if (CreateSoundBuffer(previewPlayer.device, description, &previewPlayer.soundBuffer) < 0) {
    return -1;
  }

  void* region1 = nullptr;
  void* region2 = nullptr;
  uint32_t length1 = 0;
  uint32_t length2 = 0;
  if (LockBuffer(previewPlayer.soundBuffer, 0, kPreviewBytes, &region1, &length1, &region2,
                 &length2, 0) < 0) {
    return -1;
  }
  fill(region1, length1);
  UnlockBuffer(previewPlayer.soundBuffer, region1, length1, region2, length2);
  PlayBuffer(previewPlayer.soundBuffer, 0, 0, kDsbPlayLooping);
  return 0;
}

int StopPreview() {
  using namespace platform;
  if (previewPlayer.soundBuffer != nullptr) {
    StopBuffer(previewPlayer.soundBuffer);
    ReleaseBuffer(previewPlayer.soundBuffer);
    previewPlayer.soundBuffer = nullptr;
  }
  if (previewPlayer.primaryBuffer != nullptr) {
    ReleaseBuffer(previewPlayer.primaryBuffer);
    previewPlayer.primaryBuffer = nullptr;
  }
  if (previewPlayer.device != nullptr) {
    ReleaseDevice(previewPlayer.device);
    previewPlayer.device = nullptr;
  }
  return 0;
}
