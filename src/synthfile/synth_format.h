// The Synth file: the seven rows' samples bundled into one ".syn" file.
//
// Layout, all integers unsigned 32-bit little-endian: N, the count of bytes that follow;
// then seven blocks in row order, each a length L (0-524,288) and the first L bytes of
// the row's sample file. The N bytes after the count are stored through SwapNibbles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "samples/sample_reader.h"
#include "synthfile/channel_rows.h"

constexpr uint32_t kMaxBlockSampleBytes = 524288;
constexpr uint32_t kSynthLengthBytes = 4;
// The count and seven blocks of the greatest length.
constexpr uint32_t kLargestSynthFile =
    kSynthLengthBytes + kRowCount * (kSynthLengthBytes + kMaxBlockSampleBytes);

// Exchanges the two 4-bit halves of every byte, visiting 16-bit words back from the
// end; when the count is odd the first byte is left as it is. Its own inverse.
void SwapNibbles(uint8_t* bytes, uint32_t count);

// What stopped WriteSynthFile.
enum SynthWriteFault : int32_t {
  kSampleNotRead,  // a row's samples could not be read
  kNoMemory,
  kTargetNotWritten,  // the target could not be created, written, flushed or replaced
};

struct SynthWriteFailure {
  SynthWriteFault fault;
  int row;                   // the row whose samples could not be read
  SampleReadFailure sample;  // and why
};

// Reads the seven rows' samples, in row order, each from its file as ReadRowSamples
// takes it, into a whole Synth file at file, which has room for kLargestSynthFile
// bytes, and its length into *size. 0 on success; -1 on failure, with what failed in
// *failure when it is not null.
int AssembleSynthFile(const char* const samplePaths[kRowCount], uint8_t* file, uint32_t* size,
                      SynthWriteFailure* failure);

// Bundles the seven rows' samples, in row order, into the target. Every sample is read
// before the target is touched, and the target is replaced in one step once the new file
// is complete on disk. 0 on success; -1 on failure, with what failed in *failure when
// it is not null and any file that was at the target left as it was.
int WriteSynthFile(const char* const samplePaths[kRowCount], const char* target,
                   SynthWriteFailure* failure);

// Where a block's samples lie in a decoded Synth file.
struct SynthBlock {
  uint32_t offset;  // of the first sample byte, from the start of the file
  uint32_t length;
};

// Checks that the bytes are a well-formed Synth file: the count equals the bytes that
// follow, and seven blocks of at most 524,288 bytes fill them exactly. When they are,
// swaps the body's nibbles back in place, fills blocks and returns 0. Otherwise returns
// -1 and describes in *problem what is wrong and at which byte; the bytes may then be
// left partly decoded.
int DecodeSynthFile(uint8_t* bytes, size_t size, SynthBlock (&blocks)[kRowCount],
                    std::string* problem);
