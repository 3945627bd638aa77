// The audio seam over OpenAL Soft, for the calls the preview makes in the order it makes
// them. The device is an ALC device; the primary buffer holds no samples and only sets the
// output rate, by creating the device's context; a sound buffer is host memory that
// Unlock uploads to one AL buffer, played by its own source.
#include <AL/al.h>
#include <AL/alc.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
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
  uint8_t* memory;  // null for the primary buffer; zeroed, so unwritten parts are silence
  uint32_t bytes;
  ALsizei rate;
  ALuint alBuffer;
  ALuint source;
};

namespace {

// DirectSound's results, so that callers test them as they would on Windows.
constexpr AudioStatus kOk = 0;
constexpr AudioStatus kErrGeneric = static_cast<AudioStatus>(0x80004005u);
constexpr AudioStatus kErrOutOfMemory = static_cast<AudioStatus>(0x8007000Eu);
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

// What the AL calls since the last check came to.
AudioStatus AlResult() { return alGetError() == AL_NO_ERROR ? kOk : kErrGeneric; }

// Its sources go with it; the device keeps its buffers until it closes.
void DestroyContext(AudioDevice& device) {
  if (device.context == nullptr) return;
  const LibrariesQuiet quiet;
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(device.context);
  device.context = nullptr;
}

}  // namespace

AudioStatus CreateAudioDevice(AudioDevice** device) {
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
  *device = new AudioDevice{alcDevice, nullptr};
  return kOk;
}

// The level and the window matter only to DirectSound.
AudioStatus SetCooperativeLevel(AudioDevice*, WindowHandle, uint32_t) { return kOk; }

// The AL objects of a sound buffer need the context, which the primary buffer's format
// makes, and stays current until the primary buffer goes.
AudioStatus CreateSoundBuffer(AudioDevice* device, const BufferDescription& description,
                              AudioBuffer** buffer) {
  auto* made = new AudioBuffer{device, nullptr, description.bufferBytes, 0, 0, 0};
  if ((description.flags & kDsbCapsPrimaryBuffer) == 0) {
    made->memory = new (std::nothrow) uint8_t[description.bufferBytes]();
    made->rate = static_cast<ALsizei>(description.format->samplesPerSecond);
    alGetError();
    alGenBuffers(1, &made->alBuffer);
    alGenSources(1, &made->source);
    if (made->memory == nullptr || AlResult() != kOk) {
      ReleaseBuffer(made);
      return kErrOutOfMemory;
    }
  }
  *buffer = made;
  return kOk;
}

// OpenAL fixes a context's rate when it is made: the format makes the context.
AudioStatus SetBufferFormat(AudioBuffer* buffer, const WaveFormat& format) {
  AudioDevice& device = *buffer->owner;
  const ALCint attributes[] = {ALC_FREQUENCY, static_cast<ALCint>(format.samplesPerSecond), 0};
  const LibrariesQuiet quiet;
  device.context = alcCreateContext(device.device, attributes);
  return device.context != nullptr && alcMakeContextCurrent(device.context) == ALC_TRUE
             ? kOk
             : kErrGeneric;
}

// A static buffer is locked whole, in one piece: the second region stays empty.
AudioStatus LockBuffer(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, void** region1,
                       uint32_t* length1, void** region2, uint32_t* length2, uint32_t) {
  *region1 = buffer->memory + offset;
  *length1 = bytes;
  *region2 = nullptr;
  *length2 = 0;
  return kOk;
}

// The whole memory goes up at once, so what plays never shares memory with the program.
AudioStatus UnlockBuffer(AudioBuffer* buffer, void*, uint32_t, void*, uint32_t) {
  alGetError();
  alBufferData(buffer->alBuffer, AL_FORMAT_MONO16, buffer->memory,
               static_cast<ALsizei>(buffer->bytes), buffer->rate);
  return AlResult();
}

AudioStatus PlayBuffer(AudioBuffer* buffer, uint32_t, uint32_t, uint32_t flags) {
  alGetError();
  alSourcei(buffer->source, AL_BUFFER, static_cast<ALint>(buffer->alBuffer));
  alSourcei(buffer->source, AL_LOOPING, (flags & kDsbPlayLooping) != 0 ? AL_TRUE : AL_FALSE);
  alSourcePlay(buffer->source);
  return AlResult();
}

AudioStatus StopBuffer(AudioBuffer* buffer) {
  alGetError();
  alSourceStop(buffer->source);  // silent from the next mix on
  return AlResult();
}

uint32_t ReleaseBuffer(AudioBuffer* buffer) {
  if (buffer->memory == nullptr && buffer->source == 0) {
    DestroyContext(*buffer->owner);  // the primary buffer
  } else {
    alDeleteSources(1, &buffer->source);
    alDeleteBuffers(1, &buffer->alBuffer);
    delete[] buffer->memory;
  }
  delete buffer;
  return 0;  // the reference count left: each object has one owner
}

uint32_t ReleaseDevice(AudioDevice* device) {
  DestroyContext(*device);
  {
    const LibrariesQuiet quiet;
    alcCloseDevice(device->device);
  }
  delete device;
  return 0;
}

}  // namespace platform
