// DirectSound's calls, logged with their arguments.
#include "fakes.h"
#include "platform/audio.h"

namespace platform {

struct AudioDevice {};
struct AudioBuffer {
  std::vector<uint8_t> memory;  // zeroed, as a new buffer; empty for the primary buffer
};

}  // namespace platform

namespace fake {
namespace {

int liveObjects;
std::vector<std::vector<uint8_t>> played;
const int cleared = OnReset([] { liveObjects = 0, played.clear(); });

platform::AudioStatus Status(bool failed) { return failed ? -2147467259 : 0; }  // E_FAIL

std::string Format(const platform::WaveFormat* f) {
  if (f == nullptr) return "-";
  std::ostringstream text;
  text << f->formatTag << '/' << f->channels << '/' << f->samplesPerSecond << '/'
       << f->averageBytesPerSecond << '/' << f->blockAlign << '/' << f->bitsPerSample << '/'
       << f->extraSize;
  return text.str();
}

// Makes the object when the call succeeded.
template <typename Object, typename... Parts>
platform::AudioStatus Make(bool failed, Object** object, Parts... parts) {
  if (!failed) *object = new Object{parts...}, ++liveObjects;
  return Status(failed);
}

}  // namespace

int LiveAudioObjects() { return liveObjects; }
const std::vector<std::vector<uint8_t>>& PlayedSounds() { return played; }

}  // namespace fake

namespace platform {

using fake::Call;
using fake::Status;

AudioStatus CreateAudioDevice(AudioDevice** device) {
  return fake::Make(Call("CreateAudioDevice"), device);
}

AudioStatus SetCooperativeLevel(AudioDevice*, WindowHandle window, uint32_t level) {
  return Status(Call("SetCooperativeLevel", static_cast<fake::Window*>(window)->templateId, level));
}

AudioStatus CreateSoundBuffer(AudioDevice*, const BufferDescription& d, AudioBuffer** buffer) {
  return fake::Make(
      Call("CreateSoundBuffer", d.size, d.flags, d.bufferBytes, d.reserved, fake::Format(d.format)),
      buffer, std::vector<uint8_t>(d.bufferBytes));
}

AudioStatus SetBufferFormat(AudioBuffer*, const WaveFormat& format) {
  return Status(Call("SetBufferFormat", fake::Format(&format)));
}

// A second region, as a ring buffer may give one: the program must hand it back.
AudioStatus LockBuffer(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, void** region1,
                       uint32_t* length1, void** region2, uint32_t* length2, uint32_t flags) {
  if (Call("LockBuffer", offset, bytes, flags)) return Status(true);
  *region1 = buffer->memory.data(), *length1 = bytes;
  *region2 = buffer->memory.data() + bytes, *length2 = 0;
  return 0;
}

AudioStatus UnlockBuffer(AudioBuffer* buffer, void* region1, uint32_t length1, void* region2,
                         uint32_t length2) {
  const bool asLocked = region1 == buffer->memory.data() &&
                        region2 == buffer->memory.data() + length1 && length2 == 0;
  return Status(Call("UnlockBuffer", length1, asLocked ? "as locked" : "moved"));
}

AudioStatus PlayBuffer(AudioBuffer* buffer, uint32_t reserved, uint32_t priority, uint32_t flags) {
  if (Call("PlayBuffer", reserved, priority, flags)) return Status(true);
  fake::played.push_back(buffer->memory);
  return 0;
}

AudioStatus StopBuffer(AudioBuffer*) { return Status(Call("StopBuffer")); }

uint32_t ReleaseBuffer(AudioBuffer* buffer) {
  Call("ReleaseBuffer", buffer->memory.empty() ? "primary" : "sound");
  delete buffer;
  return --fake::liveObjects, 0;
}

uint32_t ReleaseDevice(AudioDevice* device) {
  Call("ReleaseDevice");
  delete device;
  return --fake::liveObjects, 0;
}

}  // namespace platform
