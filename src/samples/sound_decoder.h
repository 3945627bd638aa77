// A sound file decoded as a row takes it: libsndfile decodes it chunk by chunk, the
// channels are mixed to mono, libsoxr resamples to 44,100 Hz and the samples are rounded
// to 16 bits. Memory stays bounded whatever the file's length and rate, and decoding
// stops wherever its reader stops asking.
#pragma once

#include <sndfile.h>
#include <soxr.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "samples/sound_samples.h"

// The file a decoder reads, for libsndfile's calls back into the file seam.
struct SoundSource {
  int handle;
  int readError;  // errno of the read that failed; 0 while none has
};

struct SoundDecoder {
  SoundSource source;
  SNDFILE* input;
  SF_INFO format;    // channels, rate and length as the header gives them
  soxr_t resampler;  // null when the input is at 44,100 Hz already
  bool drained;      // the input has ended and the resampler has given out all it held
  std::vector<float> interleaved;
  std::vector<float> mono;
  std::vector<float> resampled;
  std::vector<int16_t> made;  // samples made and not given out yet, from madeStart on
  size_t madeStart;
};

// Opens the file at the handle (a regular file, or a pipe) for decoding; the handle
// stays the caller's to close, and the decoder stays where it is until it is closed.
// kSoundFileRead, or another result with *problem saying why, and then there is
// nothing to close.
SoundFileReading OpenSoundDecoder(int handle, SoundDecoder* decoder, std::string* problem);

// Gives the next samples, at most capacity of them; 0 once all were given, or -1 when
// decoding fails, with *problem saying why (and source.readError set when a read
// failed).
int64_t DecodeSamples(SoundDecoder& decoder, int16_t* samples, size_t capacity,
                      std::string* problem);

void CloseSoundDecoder(SoundDecoder& decoder);

// The short name of an open decoder's file format, e.g. "WAV", "Ogg" or "MP3".
std::string SoundFormatName(const SoundDecoder& decoder);
