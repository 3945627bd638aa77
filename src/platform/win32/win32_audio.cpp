// The audio seam over DirectSound: the handles are the DirectSound interfaces and the
// results their HRESULTs.
#include <windows.h>

#include <dsound.h>
#include <mmreg.h>

#include <cstring>
#include <vector>

#include "platform/audio.h"

namespace platform {
namespace {

#ifndef _WIN64
static_assert(sizeof(DSBUFFERDESC) == 36, "the buffer description of the 32-bit target");
#endif

IDirectSound* AsDirectSound(AudioDevice* device) { return reinterpret_cast<IDirectSound*>(device); }

IDirectSoundBuffer* AsDirectSoundBuffer(AudioBuffer* buffer) {
  return reinterpret_cast<IDirectSoundBuffer*>(buffer);
}

// The format record followed by the extra bytes its size field announces, zeroed, so
// that DirectSound never reads past the record when it copies it.
std::vector<BYTE> FormatRecord(const WaveFormat& format) {
  WAVEFORMATEX record{};
  record.wFormatTag = format.formatTag;
  record.nChannels = format.channels;
  record.nSamplesPerSec = format.samplesPerSecond;
  record.nAvgBytesPerSec = format.averageBytesPerSecond;
  record.nBlockAlign = format.blockAlign;
  record.wBitsPerSample = format.bitsPerSample;
  record.cbSize = format.extraSize;
  std::vector<BYTE> bytes(sizeof record + format.extraSize);
  std::memcpy(bytes.data(), &record, sizeof record);
  return bytes;
}

WAVEFORMATEX* AsWaveFormat(std::vector<BYTE>& record) {
  return reinterpret_cast<WAVEFORMATEX*>(record.data());
}

}  // namespace

AudioStatus CreateAudioDevice(AudioDevice** device) {
  IDirectSound* directSound = nullptr;
  const HRESULT result = DirectSoundCreate(nullptr, &directSound, nullptr);
  *device = reinterpret_cast<AudioDevice*>(SUCCEEDED(result) ? directSound : nullptr);
  return result;
}

AudioStatus SetCooperativeLevel(AudioDevice* device, WindowHandle window, uint32_t level) {
  return AsDirectSound(device)->SetCooperativeLevel(static_cast<HWND>(window), level);
}

AudioStatus CreateSoundBuffer(AudioDevice* device, const BufferDescription& description,
                              AudioBuffer** buffer) {
  // The program's description size names the 32-bit layout, which is this record's.
  DSBUFFERDESC record{};
  record.dwSize = sizeof record;
  record.dwFlags = description.flags;
  record.dwBufferBytes = description.bufferBytes;
  record.dwReserved = description.reserved;
  std::vector<BYTE> format;
  if (description.format != nullptr) {
    format = FormatRecord(*description.format);
    record.lpwfxFormat = AsWaveFormat(format);
  }
  IDirectSoundBuffer* created = nullptr;
  const HRESULT result = AsDirectSound(device)->CreateSoundBuffer(&record, &created, nullptr);
  *buffer = reinterpret_cast<AudioBuffer*>(SUCCEEDED(result) ? created : nullptr);
  return result;
}

AudioStatus SetBufferFormat(AudioBuffer* buffer, const WaveFormat& format) {
  std::vector<BYTE> record = FormatRecord(format);
  return AsDirectSoundBuffer(buffer)->SetFormat(AsWaveFormat(record));
}

AudioStatus LockBuffer(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, void** region1,
                       uint32_t* length1, void** region2, uint32_t* length2, uint32_t flags) {
  void* start1 = nullptr;
  void* start2 = nullptr;
  DWORD bytes1 = 0;
  DWORD bytes2 = 0;
  const HRESULT result =
      AsDirectSoundBuffer(buffer)->Lock(offset, bytes, &start1, &bytes1, &start2, &bytes2, flags);
  *region1 = start1;
  *length1 = bytes1;
  *region2 = start2;
  *length2 = bytes2;
  return result;
}

AudioStatus UnlockBuffer(AudioBuffer* buffer, void* region1, uint32_t length1, void* region2,
                         uint32_t length2) {
  return AsDirectSoundBuffer(buffer)->Unlock(region1, length1, region2, length2);
}

AudioStatus PlayBuffer(AudioBuffer* buffer, uint32_t reserved, uint32_t priority, uint32_t flags) {
  return AsDirectSoundBuffer(buffer)->Play(reserved, priority, flags);
}

AudioStatus StopBuffer(AudioBuffer* buffer) { return AsDirectSoundBuffer(buffer)->Stop(); }

uint32_t ReleaseBuffer(AudioBuffer* buffer) { return AsDirectSoundBuffer(buffer)->Release(); }

uint32_t ReleaseDevice(AudioDevice* device) { return AsDirectSound(device)->Release(); }

}  // namespace platform
