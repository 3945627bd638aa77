// The Sound Preview window: five seconds of sound, prepared in full and played in a
// loop until OK is pressed.
#pragma once

#include <cstdint>

#include "platform/audio.h"
#include "platform/win32_values.h"

// 220,500 samples of 16-bit mono at 44,100 Hz: exactly five seconds.
constexpr uint32_t kPreviewBytes = 441000;

// The audio objects of the running preview; all null between previews.
struct PreviewPlayer {
  platform::AudioDevice* device;
  platform::AudioBuffer* primaryBuffer;
  platform::AudioBuffer* soundBuffer;
};

extern PreviewPlayer previewPlayer;

// Plays the wave in currentWaveKind; returns 0 when the window has ended.
int PreviewSynth(platform::WindowHandle owner);

// The Sound Preview window's dialog procedure; it plays activeSlot's sample file when
// activeSlot is set and the wave in currentWaveKind otherwise.
platform::DialogResult PLATFORM_CALLBACK SoundPreviewProcedure(platform::WindowHandle window,
                                                               unsigned message, uintptr_t wParam,
                                                               intptr_t lParam);

// Sets up the audio objects, fills the buffer and starts looping it. -1 when a set-up
// step failed: what was created stays for StopPreview and nothing plays.
int StartPreview(platform::WindowHandle window);

// Stops the sound and releases sound buffer, primary buffer and device. Returns 0.
int StopPreview();
