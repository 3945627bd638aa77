// The sample chooser's preview pane: what the file selected would give the row, in words,
// as a picture and as sound, before it is chosen. Everything is read through the row's
// own reader, so the pane shows and plays exactly what the row would take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_values.h"

// The pane's template and controls.
constexpr int kFilePreviewTemplateId = 106;
constexpr int kFilePreviewWordsId = 1040;
constexpr int kFilePreviewCutId = 1041;
constexpr int kFilePreviewWaveId = 1042;
constexpr int kFilePreviewPlayId = 1043;

// What the pane shows of a file.
struct FilePreview {
  // "WAV, 48,000 Hz, stereo, 7.00 s", "PCM, 44,100 Hz, mono, 0.11 s", "Synth file, block
  // 3, 2.00 s", or why there is nothing to show; empty for a folder or no file.
  std::string words;
  // "A bank keeps the first 5.94 s." when the row takes less than the file holds.
  std::string cut;
  // The bytes the row would take (16-bit little-endian samples); none when it cannot.
  std::vector<uint8_t> samples;
};

// Reads the file at path as the row would take it. A FIFO or a device is never opened.
FilePreview ReadFilePreview(const char* path, int row);

// One pixel column of a waveform picture: the lowest and the highest sample it stands for.
struct WaveColumn {
  int16_t lowest;
  int16_t highest;
};

// The samples spread evenly over width columns, each standing for at least one sample;
// fewer samples than columns stand for several columns each. None for no samples.
std::vector<WaveColumn> WaveColumns(const int16_t* samples, size_t count, int width);

// The row whose sample is being chosen, and whether the pane plays the file selected:
// checked at first, and kept from chooser to chooser while the program runs.
extern int filePreviewRow;
extern bool playSelectedFile;

// The pane's procedure, the chooser's hook.
platform::DialogResult PLATFORM_CALLBACK FilePreviewProcedure(platform::WindowHandle pane,
                                                              unsigned message, uintptr_t wParam,
                                                              intptr_t lParam);
