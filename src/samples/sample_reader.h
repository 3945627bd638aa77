// Where a row's samples come from. The file at a row's path is read as one of three
// kinds, told apart when it is read:
// - a Synth file: a name ending in ".syn", in any case; the row takes that file's block
//   for the same row, exactly as stored;
// - a sound file: one whose header libsndfile recognises (WAV, FLAC, Ogg, AIFF, ...),
//   decoded, mixed to mono, resampled to 44,100 Hz and rounded to 16 bits as convert
//   does, with the same libraries on Linux and Windows;
// - a sample file: a name ending in ".pcm", in any case, whatever its content, and any
//   other file; its bytes are the samples, as they are.
#pragma once

#include <cstdint>
#include <string>

#include "samples/sound_samples.h"

// What stopped ReadRowSamples.
enum SampleReadFault : int32_t {
  kSamplesNotOpened,  // no name, or a file that is missing, unreadable or not a regular file
  kSamplesNotRead,    // reading the file reported an error
  kSamplesMalformed,  // a sound file that cannot be decoded or whose rate is out of range,
                      // or a malformed Synth file: problem says which
  kSamplesChanged,    // another program changed the file while it was read
  kSamplesNoMemory,
};

struct SampleReadFailure {
  SampleReadFault fault;
  int error;            // errno as the failed call left it, for the first two faults
  std::string problem;  // what is wrong with the file, e.g. "cannot decode it: ..."
};

// What a row's samples were read from.
enum SampleSourceKind : int32_t { kSampleFileSource, kSoundFileSource, kSynthFileSource };

struct SampleSource {
  SampleSourceKind kind;
  int64_t fileBytes;  // the file's size
  SoundFormat sound;  // a sound file's format
};

// Fills the region with the first byteCount bytes of row's samples from the file at
// path; a shorter source leaves the rest of the region as it was. Returns the count of
// bytes written, or -1 when the file cannot be read as a row's samples, with what
// failed in *failure when it is not null; on failure what was read before the fault
// may stay in the region. A byteCount of 0 reads no samples but still checks that the
// file can be read as its kind (a Synth file is read and checked whole). What the file
// was read as goes to *source when that is not null.
int32_t ReadRowSamples(const char* path, int row, void* region, uint32_t byteCount,
                       SampleReadFailure* failure, SampleSource* source = nullptr);

// Whether ReadRowSamples takes the file at path as a Synth file, by its name.
bool IsSynthFileName(const char* path);
