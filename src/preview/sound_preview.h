// The Sound Preview window: five seconds of sound, prepared in full and played in a
// loop until OK is pressed.
#pragma once

#include <cstdint>

#include "platform/win32_values.h"
#include "player/preview_player.h"

// Plays the wave in currentWaveKind; returns 0 when the window has ended.
int PreviewSynth(platform::WindowHandle owner);

// The Sound Preview window's dialog procedure; it plays activeSlot's sample file when
// activeSlot is set and the wave in currentWaveKind otherwise.
platform::DialogResult PLATFORM_CALLBACK SoundPreviewProcedure(platform::WindowHandle window,
                                                               unsigned message, uintptr_t wParam,
                                                               intptr_t lParam);

// Starts the player on what the Sound Preview opening now plays.
int StartPreview(platform::WindowHandle window);
