// Audio output in DirectSound's terms: a device, a primary buffer that sets the output
// format, and static sound buffers that are locked, filled, unlocked and played.
// Results are status codes: negative means failure. Out-parameters stay null on failure.
#pragma once

#include <cstdint>

#include "platform/win32_values.h"

namespace platform {

using AudioStatus = int32_t;

struct AudioDevice;
struct AudioBuffer;

struct WaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSecond;
  uint32_t averageBytesPerSecond;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;
};

struct BufferDescription {
  uint32_t size;         // the description's record size
  uint32_t flags;        // kDsbCaps... values
  uint32_t bufferBytes;  // 0 for the primary buffer
  uint32_t reserved;
  const WaveFormat* format;  // null for the primary buffer
};

AudioStatus CreateAudioDevice(AudioDevice** device);
AudioStatus SetCooperativeLevel(AudioDevice* device, WindowHandle window, uint32_t level);
AudioStatus CreateSoundBuffer(AudioDevice* device, const BufferDescription& description,
                              AudioBuffer** buffer);
AudioStatus SetBufferFormat(AudioBuffer* buffer, const WaveFormat& format);
AudioStatus LockBuffer(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, void** region1,
                       uint32_t* length1, void** region2, uint32_t* length2, uint32_t flags);
AudioStatus UnlockBuffer(AudioBuffer* buffer, void* region1, uint32_t length1, void* region2,
                         uint32_t length2);
AudioStatus PlayBuffer(AudioBuffer* buffer, uint32_t reserved, uint32_t priority, uint32_t flags);
AudioStatus StopBuffer(AudioBuffer* buffer);
uint32_t ReleaseBuffer(AudioBuffer* buffer);
uint32_t ReleaseDevice(AudioDevice* device);

}  // namespace platform
