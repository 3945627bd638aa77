#include "samples/sound_decoder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "synth/wave_generators.h"

namespace {

// Frames decoded at a time, and the most the resampler gives back at a time.
constexpr sf_count_t kChunkFrames = 8192;
constexpr size_t kResampledFrames = 16384;
// The input rates taken: outside them one second of input would become more than 44
// seconds of output, or less than a seventeenth of one.
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 768000;
// A float sample of 1.0 as a 16-bit one: what libsndfile divides by, so that 16-bit
// input at 44,100 Hz passes through unchanged.
constexpr float kFullScale = 32768.0f;

// libsndfile's reads of a regular file go through the file seam.
SoundSource& SourceOf(void* data) { return *static_cast<SoundSource*>(data); }

sf_count_t SeekSource(sf_count_t offset, int whence, void* data) {
  return platform::SeekFile(SourceOf(data).handle, offset,
                            static_cast<platform::SeekOrigin>(whence));
}

sf_count_t TellSource(void* data) { return SeekSource(0, SEEK_CUR, data); }

sf_count_t SourceLength(void* data) {
  const sf_count_t position = TellSource(data);
  const sf_count_t length = SeekSource(0, SEEK_END, data);
  SeekSource(position, SEEK_SET, data);
  return length;
}

sf_count_t ReadSource(void* bytes, sf_count_t count, void* data) {
  constexpr sf_count_t kLargestRead = 1 << 30;
  SoundSource& source = SourceOf(data);
  errno = 0;
  const int32_t got = platform::ReadFile(source.handle, bytes,
                                         static_cast<uint32_t>(std::min(count, kLargestRead)));
  if (got >= 0) return got;
  // libsndfile takes a failed read for the end of the file: the decoder tells them apart.
  source.readError = errno != 0 ? errno : EIO;
  return 0;
}

std::string ReadFailureProblem(const SoundSource& source) {
  return std::string("cannot read it: ") + std::strerror(source.readError);
}

// Rounds samples to 16 bits, without dither, onto the samples made.
void Emit(SoundDecoder& decoder, const float* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    decoder.made.push_back(static_cast<int16_t>(
        std::lrint(std::clamp(samples[i] * kFullScale, -kFullScale, kFullScale - 1))));
  }
}

// Passes mono samples through the resampler; at the end of the input (mono null) it
// gives out what it holds back, to the input's duration at 44,100 Hz.
bool Resample(SoundDecoder& decoder, const float* mono, size_t frames, std::string* problem) {
  for (;;) {
    size_t used = 0, made = 0;
    const soxr_error_t error = soxr_process(decoder.resampler, mono, frames, &used,
                                            decoder.resampled.data(), kResampledFrames, &made);
    if (error != nullptr) {
      *problem = std::string("cannot resample it: ") + error;
      return false;
    }
    if (mono != nullptr) mono += used;
    frames -= used;
    Emit(decoder, decoder.resampled.data(), made);
    if (frames == 0 && made == 0) return true;
  }
}

// Decodes the next chunk of the input into samples made; at the end of the input,
// drains the resampler.
bool DecodeChunk(SoundDecoder& decoder, std::string* problem) {
  const sf_count_t frames = sf_readf_float(decoder.input, decoder.interleaved.data(), kChunkFrames);
  if (decoder.source.readError != 0) {
    *problem = ReadFailureProblem(decoder.source);
    return false;
  }
  if (sf_error(decoder.input) != SF_ERR_NO_ERROR) {
    *problem = std::string("cannot decode it: ") + sf_strerror(decoder.input);
    return false;
  }
  if (frames == 0) {
    decoder.drained = true;
    return decoder.resampler == nullptr || Resample(decoder, nullptr, 0, problem);
  }
  for (sf_count_t frame = 0; frame < frames; ++frame) {
    float sum = 0.0f;
    for (int channel = 0; channel < decoder.format.channels; ++channel) {
      sum += decoder.interleaved[static_cast<size_t>(frame * decoder.format.channels + channel)];
    }
    decoder.mono[static_cast<size_t>(frame)] = sum / static_cast<float>(decoder.format.channels);
  }
  const auto count = static_cast<size_t>(frames);
  if (decoder.resampler != nullptr) return Resample(decoder, decoder.mono.data(), count, problem);
  Emit(decoder, decoder.mono.data(), count);
  return true;
}

}  // namespace

SoundFileReading OpenSoundDecoder(int handle, SoundDecoder* decoder, std::string* problem) {
  *decoder = {};
  decoder->source.handle = handle;
  SF_INFO& format = decoder->format;
  if (platform::SeekFile(handle, 0, platform::kFromPosition) < 0) {
    // A pipe: libsndfile reads it itself, keeping what it must look at twice.
    decoder->input = sf_open_fd(handle, SFM_READ, &format, SF_FALSE);
  } else {
    SF_VIRTUAL_IO file{SourceLength, SeekSource, ReadSource, nullptr, TellSource};
    decoder->input = sf_open_virtual(&file, SFM_READ, &format, &decoder->source);
  }
  if (decoder->input == nullptr) {
    if (decoder->source.readError != 0) {
      *problem = ReadFailureProblem(decoder->source);
      return kSoundFileNotRead;
    }
    // Only a header libsndfile does not know at all makes the file no sound file.
    const int error = sf_error(nullptr);
    *problem = std::string("cannot read it as audio: ") + sf_strerror(nullptr);
    return error == SF_ERR_UNRECOGNISED_FORMAT ? kNotASoundFile : kSoundFileMalformed;
  }
  soxr_error_t error = nullptr;
  std::string fault;
  if (format.channels <= 0) {
    fault = std::string("cannot read it as audio: ") + sf_strerror(decoder->input);
  } else if (format.samplerate < kLowestRate || format.samplerate > kHighestRate) {
    fault = "its rate of " + std::to_string(format.samplerate) + " Hz is outside the " +
            std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) +
            " Hz that convert takes";
  } else if (format.samplerate != static_cast<int>(kSamplesPerSecond)) {
    // Very high quality, as sox's "rate -v"; 16-bit rounding without dither.
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    decoder->resampler =
        soxr_create(format.samplerate, kSamplesPerSecond, 1, &error, &io, &quality, nullptr);
    if (error != nullptr) fault = std::string("cannot resample it: ") + error;
  }
  if (!fault.empty()) {
    *problem = fault;
    CloseSoundDecoder(*decoder);
    return kSoundFileMalformed;
  }
  decoder->interleaved.resize(static_cast<size_t>(kChunkFrames * format.channels));
  decoder->mono.resize(static_cast<size_t>(kChunkFrames));
  decoder->resampled.resize(kResampledFrames);
  return kSoundFileRead;
}

int64_t DecodeSamples(SoundDecoder& decoder, int16_t* samples, size_t capacity,
                      std::string* problem) {
  while (decoder.madeStart == decoder.made.size() && !decoder.drained) {
    decoder.made.clear();
    decoder.madeStart = 0;
    if (!DecodeChunk(decoder, problem)) return -1;
  }
  const size_t count = std::min(capacity, decoder.made.size() - decoder.madeStart);
  std::copy_n(decoder.made.begin() + static_cast<std::ptrdiff_t>(decoder.madeStart), count,
              samples);
  decoder.madeStart += count;
  return static_cast<int64_t>(count);
}

void CloseSoundDecoder(SoundDecoder& decoder) {
  soxr_delete(decoder.resampler);
  if (decoder.input != nullptr) sf_close(decoder.input);
  decoder = {};
}

std::string SoundFormatName(const SoundDecoder& decoder) {
  const int major = decoder.format.format & SF_FORMAT_TYPEMASK;
  const int subtype = decoder.format.format & SF_FORMAT_SUBMASK;
  switch (major) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
      return "WAV";
    case SF_FORMAT_OGG:
      return subtype == SF_FORMAT_OPUS ? "Opus" : "Ogg";
    case SF_FORMAT_MPEG:
      return subtype == SF_FORMAT_MPEG_LAYER_III ? "MP3" : "MPEG";
    default:
      break;
  }
  // Any other format by its usual extension: "FLAC", "AIFF", "CAF", "W64", ...
  SF_FORMAT_INFO info{};
  info.format = major;
  std::string name;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.extension) {
    for (const char* letter = info.extension; *letter != '\0'; ++letter) {
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(*letter)));
    }
  }
  return name;
}

SoundFileReading ReadSoundSamples(int handle, uint8_t* region, uint32_t byteCount,
                                  uint32_t* written, std::string* problem, SoundFormat* format) {
  *written = 0;
  SoundDecoder decoder;
  const SoundFileReading opened = OpenSoundDecoder(handle, &decoder, problem);
  if (opened != kSoundFileRead) {
    if (opened == kSoundFileNotRead) errno = decoder.source.readError;
    return opened;
  }
  if (format != nullptr) {
    *format = {SoundFormatName(decoder), decoder.format.samplerate, decoder.format.channels,
               decoder.format.frames};
  }
  int16_t samples[kResampledFrames];
  SoundFileReading result = kSoundFileRead;
  while (*written < byteCount) {
    const size_t wanted = (byteCount - *written + 1) / kBytesPerSample;
    const int64_t count =
        DecodeSamples(decoder, samples, std::min(wanted, std::size(samples)), problem);
    if (count <= 0) {
      if (count < 0)
        result = decoder.source.readError != 0 ? kSoundFileNotRead : kSoundFileMalformed;
      break;
    }
    // Little-endian whatever the machine, as a sample file holds them; the last byte
    // asked for may be the first half of a sample.
    for (int64_t i = 0; i < count && *written < byteCount; ++i) {
      const auto sample = static_cast<uint16_t>(samples[i]);
      region[(*written)++] = static_cast<uint8_t>(sample);
      if (*written < byteCount) region[(*written)++] = static_cast<uint8_t>(sample >> 8);
    }
  }
  const int readError = decoder.source.readError;
  CloseSoundDecoder(decoder);
  if (result == kSoundFileNotRead) errno = readError;
  return result;
}
