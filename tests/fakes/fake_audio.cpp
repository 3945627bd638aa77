// DirectSound's calls, logged with their arguments; any of them can be made to fail.
#include <set>
#include <sstream>

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

std::map<std::string, int> counts;
std::set<std::pair<std::string, int>> failing;
int liveObjects;
std::vector<std::vector<uint8_t>> played;

const int cleared = OnReset([] {
  counts.clear();
  failing.clear();
  liveObjects = 0;
  played.clear();
});

// Logs "name argument..."; the status is a failure when the test asked for one.
template <typename... Arguments>
platform::AudioStatus Call(const std::string& name, Arguments... arguments) {
  std::ostringstream line;
  line << name;
  ((line << ' ' << arguments), ...);
  Log().push_back(line.str());
  return failing.count({name, ++counts[name]}) > 0 ? static_cast<platform::AudioStatus>(0x80004005)
                                                   : 0;
}

std::string Format(const platform::WaveFormat* f) {
  std::ostringstream text;
  if (f == nullptr) return "-";
  text << f->formatTag << '/' << f->channels << '/' << f->samplesPerSecond << '/'
       << f->averageBytesPerSecond << '/' << f->blockAlign << '/' << f->bitsPerSample << '/'
       << f->extraSize;
  return text.str();
}

// Makes the object when the call succeeded.
template <typename Object, typename... Parts>
platform::AudioStatus Make(platform::AudioStatus status, Object** object, Parts... parts) {
  if (status == 0) *object = new Object{parts...}, ++liveObjects;
  return status;
}

}  // namespace

void FailAudioCall(const std::string& name, int occurrence) { failing.insert({name, occurrence}); }
int LiveAudioObjects() { return liveObjects; }
const std::vector<std::vector<uint8_t>>& PlayedSounds() { return played; }

}  // namespace fake

namespace platform {

using fake::Call;

AudioStatus CreateAudioDevice(AudioDevice** device) {
  return fake::Make(Call("CreateAudioDevice"), device);
}

AudioStatus SetCooperativeLevel(AudioDevice*, WindowHandle window, uint32_t level) {
  return Call("SetCooperativeLevel", static_cast<fake::Window*>(window)->templateId, level);
}

AudioStatus CreateSoundBuffer(AudioDevice*, const BufferDescription& d, AudioBuffer** buffer) {
  const AudioStatus status =
      Call("CreateSoundBuffer", d.size, d.flags, d.bufferBytes, d.reserved, fake::Format(d.format));
  return fake::Make(status, buffer, std::vector<uint8_t>(d.bufferBytes));
}

AudioStatus SetBufferFormat(AudioBuffer*, const WaveFormat& format) {
  return Call("SetBufferFormat", fake::Format(&format));
}

// A second region, as a ring buffer may give one: the program must hand it back.
AudioStatus LockBuffer(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, void** region1,
                       uint32_t* length1, void** region2, uint32_t* length2, uint32_t flags) {
  const AudioStatus status = Call("LockBuffer", offset, bytes, flags);
  if (status == 0) {
    *region1 = buffer->memory.data();
    *length1 = bytes;
    *region2 = buffer->memory.data() + bytes;
    *length2 = 0;
  }
  return status;
}

AudioStatus UnlockBuffer(AudioBuffer* buffer, void* region1, uint32_t length1, void* region2,
                         uint32_t length2) {
  const bool asLocked = region1 == buffer->memory.data() &&
                        region2 == buffer->memory.data() + length1 && length2 == 0;
  return Call("UnlockBuffer", length1, asLocked ? "as locked" : "moved");
}

AudioStatus PlayBuffer(AudioBuffer* buffer, uint32_t reserved, uint32_t priority, uint32_t flags) {
  const AudioStatus status = Call("PlayBuffer", reserved, priority, flags);
  if (status == 0) fake::played.push_back(buffer->memory);
  return status;
}

AudioStatus StopBuffer(AudioBuffer*) { return Call("StopBuffer"); }

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
