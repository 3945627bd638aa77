// The composer's main window: its control identifiers, the channel rows, the entry,
// and the module-level values that tell the modal windows what to work on.
#pragma once

#include "platform/win32_values.h"
#include "synth/wave_generators.h"
#include "synthfile/channel_rows.h"

class ChannelSlot;

// Main window controls: one block of seven ids per row, in row order.
constexpr int kSynthPreviewFirstId = 1000;   // "N"
constexpr int kSamplePreviewFirstId = 1007;  // "S"
constexpr int kSaveId = 1014;                // "Save..."
constexpr int kExitId = 1015;                // "Exit"
constexpr int kStatusLabelFirstId = 1016;    // "-" or "PCM"
constexpr int kPropertiesFirstId = 1023;     // "..."
constexpr int kOpenBankId = 1030;            // Ctrl+O: opens a Synth file as the bank

// What a row's status label reads.
constexpr char kLabelWithFile[] = "PCM";
constexpr char kLabelWithoutFile[] = "-";

struct ChannelRow {
  const char* caption;
  WaveKind waveKind;  // what its "N" plays
  ChannelSlot* slot;  // what its "S" plays, "..." edits and "Save..." bundles
};

extern const ChannelRow kChannelRows[kRowCount];

// The wave that a synthesized preview plays.
extern int32_t currentWaveKind;
// The slot the open modal window works on; null during a synthesized preview.
extern ChannelSlot* activeSlot;

// The main window's dialog procedure.
platform::DialogResult PLATFORM_CALLBACK DispatchCommand(platform::WindowHandle window,
                                                         unsigned message, uintptr_t wParam,
                                                         intptr_t lParam);

// Shows on the row's status label whether it has a file ("PCM" or "-"), and describes
// the file for screen readers and the label's tooltip.
void ShowRowLabel(platform::WindowHandle window, int row, bool hasFile);

// A message box over the window with the text, captioned "Error".
void ShowError(platform::WindowHandle window, const char* text);

// Runs the main window with no owner, opening the Synth file at bankPath as it opens
// unless bankPath is null; its result is the process exit code.
int RunComposer(const char* bankPath = nullptr);
