// The sound-file part of a row's samples: libsndfile's formats.
#pragma once

#include <cstdint>
#include <string>

// What a file turned out to be when read as a sound file.
enum SoundFileReading : int32_t {
  kSoundFileRead,
  kNotASoundFile,       // its header is no sound file's: it is read as samples instead
  kSoundFileMalformed,  // a sound file that cannot be decoded, or at an unusable rate
  kSoundFileNotRead     // reading the file reported an error, left in errno
};

// A sound file's format as its header gives it.
struct SoundFormat {
  std::string name;  // short: "WAV", "FLAC", "Ogg", "AIFF", "MP3", ...
  int rate;          // frames a second
  int channels;
  int64_t frames;
};

// Reads the open file, from its current position, as a sound file, and writes the first
// byteCount bytes of its samples, as 16-bit little-endian, into the region and their
// count into *written, and its format into *format when that is not null. kNotASoundFile
// leaves the region as it was and the position anywhere; on the two failures *problem
// says what went wrong, and what was decoded before may stay in the region.
SoundFileReading ReadSoundSamples(int handle, uint8_t* region, uint32_t byteCount,
                                  uint32_t* written, std::string* problem,
                                  SoundFormat* format = nullptr);
