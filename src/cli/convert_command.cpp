// convert: any audio file libsndfile reads, made into a sample for a row: mono,
// 44,100 Hz, 16-bit, as a WAV file or as headerless little-endian samples.
#include <sndfile.h>
#include <soxr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/synth_tool.h"
#include "platform/files.h"
#include "storage/replacement_file.h"
#include "synth/wave_generators.h"

namespace {

// Frames decoded at a time, and the most the resampler gives back at a time: memory
// stays bounded whatever the input's length and rate.
constexpr sf_count_t kChunkFrames = 8192;
constexpr size_t kResampledFrames = 16384;
// The input rates taken: outside them one second of input would become more than 44
// seconds of output, or less than a seventeenth of one.
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 768000;
// A float sample of 1.0 as a 16-bit one: what libsndfile divides by, so that 16-bit
// input at 44,100 Hz passes through unchanged.
constexpr float kFullScale = 32768.0f;

// One input decoded, mixed, resampled and written as it comes.
struct Conversion {
  SNDFILE* input;
  int channels;
  soxr_t resampler;  // null when the input is at 44,100 Hz already
  SNDFILE* output;
  Input source;
  std::vector<float> resampled;
  std::vector<short> samples;
};

// Writes samples as 16-bit ones.
bool Emit(Conversion& conversion, const float* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    conversion.samples[i] = static_cast<short>(
        std::lrint(std::clamp(samples[i] * kFullScale, -kFullScale, kFullScale - 1)));
  }
  const auto frames = static_cast<sf_count_t>(count);
  return sf_writef_short(conversion.output, conversion.samples.data(), frames) == frames;
}

// Passes mono samples through the resampler; at the end of the input (mono null) it
// gives out what it holds back.
bool Resample(Conversion& conversion, const float* mono, size_t frames, std::string* problem) {
  for (;;) {
    size_t used = 0, made = 0;
    const soxr_error_t error = soxr_process(conversion.resampler, mono, frames, &used,
                                            conversion.resampled.data(), kResampledFrames, &made);
    if (error != nullptr) {
      *problem = std::string("cannot resample it: ") + error;
      return false;
    }
    if (mono != nullptr) mono += used;
    frames -= used;
    if (!Emit(conversion, conversion.resampled.data(), made)) return false;
    if (frames == 0 && made == 0) return true;
  }
}

// Decodes the whole input, chunk by chunk, and writes the output.
bool Convert(Conversion& conversion, std::string* problem) {
  std::vector<float> interleaved(static_cast<size_t>(kChunkFrames * conversion.channels));
  std::vector<float> mono(static_cast<size_t>(kChunkFrames));
  for (;;) {
    const sf_count_t frames = sf_readf_float(conversion.input, interleaved.data(), kChunkFrames);
    if (sf_error(conversion.input) != SF_ERR_NO_ERROR) {
      *problem = std::string("cannot decode it: ") + sf_strerror(conversion.input);
      return false;
    }
    if (frames == 0) break;
    for (sf_count_t frame = 0; frame < frames; ++frame) {
      float sum = 0.0f;
      for (int channel = 0; channel < conversion.channels; ++channel) {
        sum += interleaved[static_cast<size_t>(frame * conversion.channels + channel)];
      }
      mono[static_cast<size_t>(frame)] = sum / static_cast<float>(conversion.channels);
    }
    const bool emitted = conversion.resampler != nullptr
                             ? Resample(conversion, mono.data(), frames, problem)
                             : Emit(conversion, mono.data(), frames);
    if (!emitted) return false;
  }
  // libsoxr gives out what it holds back, to the input's duration at 44,100 Hz.
  return conversion.resampler == nullptr || Resample(conversion, nullptr, 0, problem);
}

// Starts the output: the replacement for a file, or standard output for "-".
SNDFILE* OpenOutput(const std::string& path, ReplacementFile* file) {
  SF_INFO format{};
  format.samplerate = static_cast<int>(kSamplesPerSecond);
  format.channels = 1;
  format.format =
      (NamesWaveFile(path) ? SF_FORMAT_WAV : SF_FORMAT_RAW | SF_ENDIAN_LITTLE) | SF_FORMAT_PCM_16;
  if (path == kStandardStream) return sf_open_fd(STDOUT_FILENO, SFM_WRITE, &format, SF_FALSE);
  if (!BeginReplacement(*file, path.c_str())) return nullptr;
  SNDFILE* output = sf_open_fd(file->handle, SFM_WRITE, &format, SF_FALSE);
  if (output == nullptr) AbandonReplacement(*file);
  return output;
}

// Writes the conversion to the output path; on failure *problem says what failed.
void ConvertInto(Conversion& conversion, const std::string& path, std::string* problem) {
  const bool toStandardOutput = path == kStandardStream;
  const std::string name = toStandardOutput ? "standard output" : Quoted(path);
  ReplacementFile file{};
  errno = 0;
  conversion.output = OpenOutput(path, &file);
  if (conversion.output == nullptr) {
    *problem = toStandardOutput ? WithReason("cannot write " + name, errno)
                                : CannotWriteMessage({path}, errno);
    return;
  }
  // A failed write leaves the problem to libsndfile's message.
  const bool converted = Convert(conversion, problem);
  const std::string writeFault = sf_strerror(conversion.output);
  const int closed = sf_close(conversion.output);
  if (!converted || closed != 0) {
    if (!toStandardOutput) AbandonReplacement(file);
    if (problem->empty()) {
      *problem =
          "cannot write " + name + ": " + (closed != 0 ? sf_error_number(closed) : writeFault);
    }
    return;
  }
  if (!InputUnchanged(conversion.source)) {
    if (!toStandardOutput) AbandonReplacement(file);
    *problem = ChangedWhileReadMessage("it");
    return;
  }
  errno = 0;
  if (!toStandardOutput && !FinishReplacement(file)) {
    *problem = CannotWriteMessage({path}, errno);
  }
}

}  // namespace

int RunConvert(const CommandArguments& arguments) {
  const std::string& inputPath = arguments.operands[0];
  // Only a regular file: a FIFO or a device must not hold the conversion up.
  Conversion conversion{};
  if (!OpenInput(inputPath, &conversion.source)) return kExitFailed;
  SF_INFO format{};
  conversion.input = sf_open_fd(conversion.source.handle, SFM_READ, &format, SF_FALSE);
  std::string problem;
  if (conversion.input == nullptr || format.channels <= 0) {
    problem = std::string("cannot read it as audio: ") + sf_strerror(conversion.input);
  } else if (format.samplerate < kLowestRate || format.samplerate > kHighestRate) {
    problem = "its rate of " + std::to_string(format.samplerate) + " Hz is outside the " +
              std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) +
              " Hz that convert takes";
  } else {
    conversion.channels = format.channels;
    conversion.resampled.resize(kResampledFrames);
    conversion.samples.resize(kResampledFrames);
    soxr_error_t error = nullptr;
    if (format.samplerate != static_cast<int>(kSamplesPerSecond)) {
      // Very high quality, as sox's "rate -v"; 16-bit rounding without dither.
      const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
      const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
      conversion.resampler =
          soxr_create(format.samplerate, kSamplesPerSecond, 1, &error, &io, &quality, nullptr);
    }
    if (error != nullptr) {
      problem = std::string("cannot resample it: ") + error;
    } else {
      ConvertInto(conversion, arguments.operands[1], &problem);
    }
    soxr_delete(conversion.resampler);
  }
  if (conversion.input != nullptr) sf_close(conversion.input);
  CloseInput(conversion.source);
  if (!problem.empty()) {
    return ReportFailure("converting " + Quoted(inputPath) + ": " + problem);
  }
  return kExitDone;
}
