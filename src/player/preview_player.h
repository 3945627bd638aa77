// The preview player: five seconds of 16-bit mono sound at 44,100 Hz, prepared in full in
// a DirectSound buffer and played in a loop until stopped. The Sound Preview and the
// sample chooser's pane both play through it, one sound at a time.
#pragma once

#include <cstdint>

#include "platform/audio.h"
#include "platform/win32_values.h"

// 220,500 samples of 16-bit mono at 44,100 Hz: exactly five seconds.
constexpr uint32_t kPreviewBytes = 441000;

// The audio objects of the sound playing; all null between sounds.
struct PreviewPlayer {
  platform::AudioDevice* device;
  platform::AudioBuffer* primaryBuffer;
  platform::AudioBuffer* soundBuffer;
};

extern PreviewPlayer previewPlayer;

// Writes the sound into the buffer's region of length bytes.
using PreviewFill = void (*)(void* region, uint32_t length);

// Sets up the audio objects for the window, fills the buffer and starts looping it. -1
// when a set-up step failed: what was created stays for StopPreview and nothing plays.
int StartPreview(platform::WindowHandle window, PreviewFill fill);

// Stops the sound and releases sound buffer, primary buffer and device. Returns 0.
int StopPreview();
