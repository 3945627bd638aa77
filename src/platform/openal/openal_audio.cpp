// The audio seam over OpenAL Soft. The device is an ALC device; the primary buffer holds
// no samples and only sets the output rate, by creating the device's context; a sound
// buffer is host memory that Unlock uploads to one AL buffer, played by its own source.
#include <AL/al.h>
#include <AL/alc.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>

#include "platform/audio.h"
#include "platform/library_chatter.h"

namespace platform {

struct AudioDevice {
  ALCdevice* device;
  ALCcontext* context;  // made by the primary buffer's format; null before
};

struct AudioBuffer {
  AudioDevice* owner;
  bool primary;
  uint8_t* memory;  // what Lock hands out; zeroed when made, so unwritten parts are silence
  uint32_t bytes;
  ALenum alFormat;
  ALsizei rate;
  ALuint alBuffer;
  ALuint source;
};

namespace {

// DirectSound's results, so that callers test them as they would on Windows.
constexpr AudioStatus kOk = 0;
constexpr AudioStatus kErrGeneric = static_cast<AudioStatus>(0x80004005u);
constexpr AudioStatus kErrOutOfMemory = static_cast<AudioStatus>(0x8007000Eu);
constexpr AudioStatus kErrInvalidParam = static_cast<AudioStatus>(0x80070057u);
constexpr AudioStatus kErrInvalidCall = static_cast<AudioStatus>(0x88780032u);
constexpr AudioStatus kErrBadFormat = static_cast<AudioStatus>(0x88780064u);
constexpr AudioStatus kErrNoDriver = static_cast<AudioStatus>(0x88780078u);

// OpenAL Soft and the sound system it probes (ALSA, PulseAudio, JACK) report each device
// they try on stderr: without a sound card that is a dozen lines per preview. While a
// device is opened, set up or closed, stderr points at /dev/null, unless the user asked
// for the libraries' messages.
class LibrariesQuiet {
 public:
  LibrariesQuiet() {
    if (LibraryChatterWanted()) return;
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    savedStderr_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (savedStderr_ >= 0 && dup2(null, STDERR_FILENO) < 0) {
      close(savedStderr_);
      savedStderr_ = -1;
    }
    close(null);
  }
  ~LibrariesQuiet() {
    if (savedStderr_ < 0) return;
    std::fflush(stderr);
    dup2(savedStderr_, STDERR_FILENO);
    close(savedStderr_);
  }
  LibrariesQuiet(const LibrariesQuiet&) = delete;
  LibrariesQuiet& operator=(const LibrariesQuiet&) = delete;

 private:
  int savedStderr_ = -1;
};

// A preview without a device stays silent; the user learns why once, not per preview.
void SayNoDeviceOnce() {
  static bool said = false;
  if (said) return;
  said = true;
  std::fputs(
      "brivola-composer: no sound device: OpenAL Soft could not open a playback device,"
      " so previews are silent (BRIVOLA_VERBOSE=1 shows the sound system's messages)\n",
      stderr);
}

// The one layout the preview plays, 16-bit mono PCM, as OpenAL's format; AL_NONE for
// any other.
ALenum AlFormatOf(const WaveFormat& format) {
  const bool mono16 = format.formatTag == kWaveFormatPcm && format.channels == 1 &&
                      format.bitsPerSample == 16 && format.blockAlign == 2 &&
                      format.samplesPerSecond != 0;
  return mono16 ? AL_FORMAT_MONO16 : AL_NONE;
}

// AL calls act on the current context; there is one device at a time, but making its
// context current costs nothing and keeps every call on the right one.
bool MakeCurrent(const AudioDevice& device) {
  return device.context != nullptr && alcMakeContextCurrent(device.context) == ALC_TRUE;
}

// Lock, Unlock, Play and Stop work on a sound buffer, with its device's context current.
AudioStatus UseSoundBuffer(const AudioBuffer* buffer) {
  if (buffer == nullptr) return kErrInvalidParam;
  if (buffer->primary || !MakeCurrent(*buffer->owner)) return kErrInvalidCall;
  return kOk;
}

void DeleteAlObjects(AudioBuffer& buffer) {
  // Without the context its sources are gone already; its buffers go with the device.
  if (!MakeCurrent(*buffer.owner)) return;
  alDeleteSources(1, &buffer.source);
  alDeleteBuffers(1, &buffer.alBuffer);
}

// Its sources go with it; the device keeps its buffers until it closes.
void DestroyContext(AudioDevice& device) {
  if (device.context == nullptr) return;
  const LibrariesQuiet quiet;
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(device.context);
  device.context = nullptr;
}

AudioStatus CreatePrimaryBuffer(AudioDevice* device, const BufferDescription& description,
                                AudioBuffer** buffer) {
  if (description.bufferBytes != 0 || description.format != nullptr) return kErrInvalidParam;
  auto* primary = new (std::nothrow) AudioBuffer{device, true, nullptr, 0, AL_NONE, 0, 0, 0};
  if (primary == nullptr) return kErrOutOfMemory;
  *buffer = primary;
  return kOk;
}

AudioStatus CreateSecondaryBuffer(AudioDevice* device, const BufferDescription& description,
                                  AudioBuffer** buffer) {
  if (description.format == nullptr || description.bufferBytes == 0) return kErrInvalidParam;
  const WaveFormat& format = *description.format;
  const ALenum alFormat = AlFormatOf(format);
  if (alFormat == AL_NONE) return kErrBadFormat;
  if (description.bufferBytes % format.blockAlign != 0) return kErrInvalidParam;
  // The AL objects need the context, which the primary buffer's format makes.
  if (!MakeCurrent(*device)) return kErrInvalidCall;

  std::unique_ptr<uint8_t[]> memory(new (std::nothrow) uint8_t[description.bufferBytes]());
  std::unique_ptr<AudioBuffer> secondary(
      new (std::nothrow) AudioBuffer{device, false, memory.get(), description.bufferBytes, alFormat,
                                     static_cast<ALsizei>(format.samplesPerSecond), 0, 0});
  if (memory == nullptr || secondary == nullptr) return kErrOutOfMemory;
  alGetError();
  alGenBuffers(1, &secondary->alBuffer);
  if (alGetError() != AL_NO_ERROR) return kErrOutOfMemory;
  alGenSources(1, &secondary->source);
  if (alGetError() != AL_NO_ERROR) {
    alDeleteBuffers(1, &secondary->alBuffer);
    return kErrOutOfMemory;
  }
  memory.release();
  *buffer = secondary.release();
  return kOk;
}

}  // namespace

AudioStatus CreateAudioDevice(AudioDevice** device) {
  if (device == nullptr) return kErrInvalidParam;
  *device = nullptr;
  // Nothing is cached: every preview asks OpenAL for the default device afresh.
  ALCdevice* alcDevice;
  {
    const LibrariesQuiet quiet;
    alcDevice = alcOpenDevice(nullptr);
  }
  if (alcDevice == nullptr) {
    SayNoDeviceOnce();
    return kErrNoDriver;
  }
  auto* created = new (std::nothrow) AudioDevice{alcDevice, nullptr};
  if (created == nullptr) {
    alcCloseDevice(alcDevice);
    return kErrOutOfMemory;
  }
  *device = created;
  return kOk;
}

AudioStatus SetCooperativeLevel(AudioDevice* device, WindowHandle, uint32_t) {
  // The level and the window matter only to DirectSound.
  return device == nullptr ? kErrInvalidParam : kOk;
}

AudioStatus CreateSoundBuffer(AudioDevice* device, const BufferDescription& description,
                              AudioBuffer** buffer) {
  if (buffer == nullptr) return kErrInvalidParam;
  *buffer = nullptr;
  if (device == nullptr || description.size != kDsBufferDescriptionSize) return kErrInvalidParam;
  if ((description.flags & kDsbCapsPrimaryBuffer) != 0) {
    return CreatePrimaryBuffer(device, description, buffer);
  }
  return CreateSecondaryBuffer(device, description, buffer);
}

AudioStatus SetBufferFormat(AudioBuffer* buffer, const WaveFormat& format) {
  // Only the primary buffer's format can change, and OpenAL fixes a context's rate
  // when it is made: the first format is the one the device keeps.
  if (buffer == nullptr) return kErrInvalidParam;
  AudioDevice& device = *buffer->owner;
  if (!buffer->primary || device.context != nullptr) return kErrInvalidCall;
  if (AlFormatOf(format) == AL_NONE) return kErrBadFormat;
  const ALCint attributes[] = {ALC_FREQUENCY, static_cast<ALCint>(format.samplesPerSecond), 0};
  {
    const LibrariesQuiet quiet;
    device.context = alcCreateContext(device.device, attributes);
  }
  if (device.context == nullptr) return kErrGeneric;
  if (!MakeCurrent(device)) {
    DestroyContext(device);
    return kErrGeneric;
  }
  return kOk;
}

AudioStatus LockBuffer(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, void** region1,
                       uint32_t* length1, void** region2, uint32_t* length2, uint32_t flags) {
  if (region1 == nullptr || length1 == nullptr) return kErrInvalidParam;
  *region1 = nullptr;
  *length1 = 0;
  if (region2 != nullptr) *region2 = nullptr;
  if (length2 != nullptr) *length2 = 0;
  const AudioStatus usable = UseSoundBuffer(buffer);
  if (usable != kOk) return usable;
  if (flags != 0 || bytes == 0 || offset >= buffer->bytes || bytes > buffer->bytes - offset)
    return kErrInvalidParam;
  // A static buffer is locked in one piece: the second region stays empty.
  *region1 = buffer->memory + offset;
  *length1 = bytes;
  return kOk;
}

AudioStatus UnlockBuffer(AudioBuffer* buffer, void* region1, uint32_t length1, void* region2,
                         uint32_t length2) {
  const AudioStatus usable = UseSoundBuffer(buffer);
  if (usable != kOk) return usable;
  // The regions must be the ones Lock gave: within the memory, and no second one.
  const auto start = reinterpret_cast<uintptr_t>(region1);
  const auto memory = reinterpret_cast<uintptr_t>(buffer->memory);
  if (start < memory || start - memory > buffer->bytes ||
      length1 > buffer->bytes - (start - memory) || region2 != nullptr || length2 != 0) {
    return kErrInvalidParam;
  }
  // The whole memory goes up at once, so what plays never shares memory with the program.
  alGetError();
  alBufferData(buffer->alBuffer, buffer->alFormat, buffer->memory,
               static_cast<ALsizei>(buffer->bytes), buffer->rate);
  return alGetError() == AL_NO_ERROR ? kOk : kErrGeneric;
}

AudioStatus PlayBuffer(AudioBuffer* buffer, uint32_t, uint32_t, uint32_t flags) {
  const AudioStatus usable = UseSoundBuffer(buffer);
  if (usable != kOk) return usable;
  alGetError();
  alSourcei(buffer->source, AL_BUFFER, static_cast<ALint>(buffer->alBuffer));
  alSourcei(buffer->source, AL_LOOPING, (flags & kDsbPlayLooping) != 0 ? AL_TRUE : AL_FALSE);
  alSourcePlay(buffer->source);
  return alGetError() == AL_NO_ERROR ? kOk : kErrGeneric;
}

AudioStatus StopBuffer(AudioBuffer* buffer) {
  const AudioStatus usable = UseSoundBuffer(buffer);
  if (usable != kOk) return usable;
  alGetError();
  alSourceStop(buffer->source);  // silent from the next mix on
  return alGetError() == AL_NO_ERROR ? kOk : kErrGeneric;
}

uint32_t ReleaseBuffer(AudioBuffer* buffer) {
  if (buffer == nullptr) return 0;
  if (buffer->primary) {
    DestroyContext(*buffer->owner);
  } else {
    DeleteAlObjects(*buffer);
    delete[] buffer->memory;
  }
  delete buffer;
  return 0;  // the reference count left: each object has one owner
}

uint32_t ReleaseDevice(AudioDevice* device) {
  if (device == nullptr) return 0;
  DestroyContext(*device);
  {
    const LibrariesQuiet quiet;
    alcCloseDevice(device->device);
  }
  delete device;
  return 0;
}

}  // namespace platform
