// Reading back what OpenAL Soft's wave writer captured.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wave_writer.h"

using Samples = std::vector<int16_t>;

// Called once the sound plays: waits until the capture holds this many samples of it,
// however late it started (or until a generous deadline, which the checks then reveal).
void WaitForSoundSamples(size_t count);

// The samples of the capture, once the device has closed it.
Samples ReadCapture();

constexpr size_t kNotFound = static_cast<size_t>(-1);

// The first position of the capture from which the expected samples follow, all
// `length` of them; kNotFound when there is none.
size_t FindSignalStart(const Samples& captured, const Samples& expected, size_t length);
