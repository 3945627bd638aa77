// Runs the preview's set-up and tear-down through the DirectSound backend (under Wine).
// With "device" a playback device must exist: the sound buffer must hold the generated
// wave, play looping in the preview format, and be released by StopPreview. With
// "none" there is no device: the set-up fails and nothing is left behind. Prints each
// mismatch and a closing count.
#include <windows.h>
#include <mmreg.h>
#include <dsound.h>

#include <cstring>
#include <vector>

#include "app/composer.h"
#include "preview/sound_preview.h"
#include "synth/wave_generators.h"
#include "tests/windows/check_support.h"

namespace {

bool Released() {
  return previewPlayer.device == nullptr && previewPlayer.primaryBuffer == nullptr &&
         previewPlayer.soundBuffer == nullptr;
}

// What the sound buffer holds, read back through a second lock.
std::vector<uint8_t> BufferContent(IDirectSoundBuffer* buffer) {
  void* region1 = nullptr;
  void* region2 = nullptr;
  DWORD length1 = 0;
  DWORD length2 = 0;
  if (FAILED(buffer->Lock(0, kPreviewBytes, &region1, &length1, &region2, &length2, 0))) return {};
  const auto* start = static_cast<const uint8_t*>(region1);
  std::vector<uint8_t> content(start, start + length1);
  buffer->Unlock(region1, length1, region2, length2);
  return content;
}

void CheckPlaying(WaveKind kind, const std::vector<uint8_t>& expected) {
  auto* buffer = reinterpret_cast<IDirectSoundBuffer*>(previewPlayer.soundBuffer);
  DWORD status = 0;
  buffer->GetStatus(&status);
  check::Expect((status & DSBSTATUS_PLAYING) && (status & DSBSTATUS_LOOPING),
         "wave %d: the buffer plays looping (status %lx)", kind, status);
  WAVEFORMATEX format{};
  buffer->GetFormat(&format, sizeof format, nullptr);
  check::Expect(format.wFormatTag == WAVE_FORMAT_PCM && format.nChannels == 1 &&
             format.nSamplesPerSec == 44100 && format.wBitsPerSample == 16 &&
             format.nBlockAlign == 2 && format.nAvgBytesPerSec == 88200,
         "wave %d: 44,100 Hz 16-bit mono", kind);
  DSBCAPS capabilities{};
  capabilities.dwSize = sizeof capabilities;
  buffer->GetCaps(&capabilities);
  check::Expect(capabilities.dwBufferBytes == kPreviewBytes, "wave %d: a buffer of %lu bytes", kind,
         capabilities.dwBufferBytes);
  check::Expect(BufferContent(buffer) == expected, "wave %d: the buffer holds the whole wave", kind);
}

void CheckPreview(HWND window, WaveKind kind, bool deviceExpected) {
  std::vector<uint8_t> expected(kPreviewBytes);
  if (kind == Triangle) {
    GenerateTriangle(expected.data(), kPreviewBytes);
  } else {
    GeneratePulse(kind, expected.data(), kPreviewBytes);
  }
  currentWaveKind = kind;
  activeSlot = nullptr;
  const int started = StartPreview(window);
  if (deviceExpected) {
    check::Expect(started == 0, "wave %d: the preview starts", kind);
    if (started == 0) CheckPlaying(kind, expected);
  } else {
    check::Expect(started == -1 && previewPlayer.soundBuffer == nullptr,
           "wave %d: with no device the set-up fails and nothing plays", kind);
  }
  check::Expect(StopPreview() == 0 && Released(), "wave %d: everything is released", kind);
}

}  // namespace

int main(int argc, char** argv) {
  check::Start();
  const bool deviceExpected = argc > 1 && std::strcmp(argv[1], "device") == 0;
  const HWND window = CreateWindowExA(0, "STATIC", "audio check", WS_POPUP, 0, 0, 10, 10,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  for (WaveKind kind : {Pulse25, Triangle, Pulse75}) CheckPreview(window, kind, deviceExpected);
  DestroyWindow(window);
  return check::Finish(deviceExpected ? "audio with a device" : "audio with no device");
}
