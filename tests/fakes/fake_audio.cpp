#include <map>
#include <set>

#include "fakes.h"
#include "platform/audio.h"

namespace platform {

struct AudioDevice {
  int unused;
};

struct AudioBuffer {
  std::vector<uint8_t> memory;  // empty for the primary buffer
};

}  // namespace platform

namespace fake {
namespace {

constexpr platform::AudioStatus kFailed = static_cast<platform::AudioStatus>(0x80004005);

std::vector<std::string> calls;
std::map<std::string, int> counts;
std::set<std::pair<std::string, int>> failing;
int liveObjects;
std::vector<PlayedSound> played;
std::vector<CreatedBuffer> created;
std::vector<platform::WaveFormat> formats;
std::vector<uint32_t> levels;

// Records the call; true when the test asked it to fail.
bool Call(const char* name) {
  calls.emplace_back(name);
  return failing.count({name, ++counts[name]}) > 0;
}

}  // namespace

const std::vector<std::string>& AudioCalls() { return calls; }
void FailAudioCall(const std::string& name, int occurrence) { failing.insert({name, occurrence}); }
int LiveAudioObjects() { return liveObjects; }
const std::vector<PlayedSound>& PlayedSounds() { return played; }
const std::vector<CreatedBuffer>& CreatedBuffers() { return created; }
const std::vector<platform::WaveFormat>& FormatsSet() { return formats; }
const std::vector<uint32_t>& CooperativeLevels() { return levels; }

void ResetAudio() {
  calls.clear();
  counts.clear();
  failing.clear();
  liveObjects = 0;
  played.clear();
  created.clear();
  formats.clear();
  levels.clear();
}

}  // namespace fake

namespace platform {

AudioStatus CreateAudioDevice(AudioDevice** device) {
  if (fake::Call("CreateAudioDevice")) return fake::kFailed;
  *device = new AudioDevice{};
  ++fake::liveObjects;
  return 0;
}

AudioStatus SetCooperativeLevel(AudioDevice*, WindowHandle, uint32_t level) {
  if (fake::Call("SetCooperativeLevel")) return fake::kFailed;
  fake::levels.push_back(level);
  return 0;
}

AudioStatus CreateSoundBuffer(AudioDevice*, const BufferDescription& description,
                              AudioBuffer** buffer) {
  if (fake::Call("CreateSoundBuffer")) return fake::kFailed;
  fake::created.push_back({description, description.format
                                            ? std::optional<WaveFormat>(*description.format)
                                            : std::nullopt});
  *buffer = new AudioBuffer{std::vector<uint8_t>(description.bufferBytes, 0)};
  ++fake::liveObjects;
  return 0;
}

AudioStatus SetBufferFormat(AudioBuffer*, const WaveFormat& format) {
  if (fake::Call("SetBufferFormat")) return fake::kFailed;
  fake::formats.push_back(format);
  return 0;
}

AudioStatus LockBuffer(AudioBuffer* buffer, uint32_t offset, uint32_t bytes, void** region1,
                       uint32_t* length1, void** region2, uint32_t* length2, uint32_t) {
  if (fake::Call("LockBuffer")) return fake::kFailed;
  *region1 = buffer->memory.data() + offset;
  *length1 = bytes;
  *region2 = nullptr;
  *length2 = 0;
  return 0;
}

AudioStatus UnlockBuffer(AudioBuffer*, void*, uint32_t, void*, uint32_t) {
  return fake::Call("UnlockBuffer") ? fake::kFailed : 0;
}

AudioStatus PlayBuffer(AudioBuffer* buffer, uint32_t, uint32_t, uint32_t flags) {
  if (fake::Call("PlayBuffer")) return fake::kFailed;
  fake::played.push_back({buffer->memory, flags});
  return 0;
}

AudioStatus StopBuffer(AudioBuffer*) { return fake::Call("StopBuffer") ? fake::kFailed : 0; }

uint32_t ReleaseBuffer(AudioBuffer* buffer) {
  fake::Call("ReleaseBuffer");
  delete buffer;
  --fake::liveObjects;
  return 0;
}

uint32_t ReleaseDevice(AudioDevice* device) {
  fake::Call("ReleaseDevice");
  delete device;
  --fake::liveObjects;
  return 0;
}

}  // namespace platform
