// The Synth file writer: the seven slots' samples bundled into one ".syn" file.
//
// Layout, all integers unsigned 32-bit little-endian: N, the count of bytes that follow;
// then seven blocks in row order, each a length L (0-524,288) and the first L bytes of
// the row's sample file. The N bytes after the count are stored through SwapNibbles.
#pragma once

#include <cstdint>

#include "platform/win32_values.h"

constexpr uint32_t kMaxBlockSampleBytes = 524288;
constexpr uint32_t kSynthBodyCapacity = 5242880;

// Asks for the target, then writes it. 0 after a save; 2 when the chooser was
// cancelled or failed (nothing written); -1 on failure, with any file that was
// there left as it was.
int SaveSynthFile(platform::WindowHandle owner);

// Exchanges the two 4-bit halves of every byte, visiting 16-bit words back from the
// end; when the count is odd the first byte is left as it is. Its own inverse.
void SwapNibbles(uint8_t* bytes, uint32_t count);
