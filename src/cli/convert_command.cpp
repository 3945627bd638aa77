// convert: any audio file libsndfile reads, made into a sample for a row: mono,
// 44,100 Hz, 16-bit little-endian, headerless.
#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/synth_tool.h"
#include "platform/files.h"
#include "storage/replacement_file.h"
#include "synth/wave_generators.h"

namespace {

constexpr sf_count_t kChunkFrames = 8192;
// Room for what the resampler may hold back and give out at the end.
constexpr long kResamplerSlack = 1024;

// The decoded, mixed and resampled samples of one input, written as they come.
struct Conversion {
  SNDFILE* input;
  int channels;
  double ratio;          // output frames per input frame
  SRC_STATE* resampler;  // null when the input is at 44,100 Hz already
  ReplacementFile output;
  sf_count_t outputFrames;  // the input's declared length, resampled: never more is written
  sf_count_t inputFrames;   // decoded so far
  sf_count_t written;
};

// Writes samples, never more than the conversion's outputFrames in all.
bool Emit(Conversion& conversion, const float* samples, long count) {
  const long room = static_cast<long>(conversion.outputFrames - conversion.written);
  count = std::min(count, room);
  if (count <= 0) return true;
  std::vector<short> shorts(static_cast<size_t>(count));
  src_float_to_short_array(samples, shorts.data(), static_cast<int>(count));
  std::vector<uint8_t> bytes;
  bytes.reserve(shorts.size() * 2);
  for (short sample : shorts) {
    const auto bits = static_cast<uint16_t>(sample);
    bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
    bytes.push_back(static_cast<uint8_t>(bits >> 8));
  }
  conversion.written += count;
  return AppendToReplacement(conversion.output, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// Passes one chunk of mono samples through the resampler; endOfInput drains it.
bool Resample(Conversion& conversion, std::vector<float>& mono, long frames, bool endOfInput) {
  std::vector<float> resampled(static_cast<size_t>(frames * conversion.ratio) + kResamplerSlack);
  SRC_DATA data{};
  data.data_in = mono.data();
  data.input_frames = frames;
  data.data_out = resampled.data();
  data.output_frames = static_cast<long>(resampled.size());
  data.end_of_input = endOfInput ? 1 : 0;
  data.src_ratio = conversion.ratio;
  for (;;) {
    if (src_process(conversion.resampler, &data) != 0) return false;
    if (!Emit(conversion, resampled.data(), data.output_frames_gen)) return false;
    data.data_in += data.input_frames_used;
    data.input_frames -= data.input_frames_used;
    const bool drained = data.input_frames == 0 && (!endOfInput || data.output_frames_gen == 0);
    if (drained) return true;
  }
}

// Decodes the whole input, chunk by chunk, and writes the output.
bool Convert(Conversion& conversion, std::string* problem) {
  std::vector<float> interleaved(static_cast<size_t>(kChunkFrames * conversion.channels));
  std::vector<float> mono(static_cast<size_t>(kChunkFrames));
  for (bool ended = false; !ended;) {
    const sf_count_t frames = sf_readf_float(conversion.input, interleaved.data(), kChunkFrames);
    if (sf_error(conversion.input) != SF_ERR_NO_ERROR) {
      *problem = std::string("cannot decode it: ") + sf_strerror(conversion.input);
      return false;
    }
    ended = frames < kChunkFrames;
    conversion.inputFrames += frames;
    for (sf_count_t frame = 0; frame < frames; ++frame) {
      float sum = 0.0f;
      for (int channel = 0; channel < conversion.channels; ++channel) {
        sum += interleaved[static_cast<size_t>(frame * conversion.channels + channel)];
      }
      mono[static_cast<size_t>(frame)] = sum / static_cast<float>(conversion.channels);
    }
    const bool emitted = conversion.resampler != nullptr
                             ? Resample(conversion, mono, static_cast<long>(frames), ended)
                             : Emit(conversion, mono.data(), static_cast<long>(frames));
    if (!emitted) {
      *problem = "cannot resample or write it";
      return false;
    }
  }
  // The resampler may give a sample or two fewer than the input's duration calls for:
  // silence makes up the difference.
  const sf_count_t duration = std::min<sf_count_t>(
      conversion.outputFrames,
      std::llround(static_cast<double>(conversion.inputFrames) * conversion.ratio));
  const std::vector<float> silence(static_cast<size_t>(kChunkFrames), 0.0f);
  while (conversion.written < duration) {
    const auto count =
        static_cast<long>(std::min<sf_count_t>(duration - conversion.written, kChunkFrames));
    if (!Emit(conversion, silence.data(), count)) {
      *problem = "cannot write it";
      return false;
    }
  }
  return true;
}

}  // namespace

int RunConvert(const CommandArguments& arguments) {
  const std::string& inputPath = arguments.operands[0];
  const std::string& outputPath = arguments.operands[1];
  // Only a regular file: a FIFO or a device must not hold the conversion up.
  const int handle = platform::OpenFileForReading(inputPath.c_str());
  platform::FileStamp stamp;
  if (handle < 0 || platform::StampFile(handle, &stamp) != 0) {
    if (handle >= 0) platform::CloseFile(handle);
    return ReportFailure(CannotOpenMessage(Quoted(inputPath)));
  }
  SF_INFO format{};
  Conversion conversion{};
  conversion.input = sf_open_fd(handle, SFM_READ, &format, SF_FALSE);
  if (conversion.input == nullptr || format.channels <= 0 || format.samplerate <= 0) {
    const std::string reason = sf_strerror(conversion.input);
    if (conversion.input != nullptr) sf_close(conversion.input);
    platform::CloseFile(handle);
    return ReportFailure("cannot read " + Quoted(inputPath) + " as audio: " + reason);
  }
  conversion.channels = format.channels;
  conversion.ratio = static_cast<double>(kSamplesPerSecond) / format.samplerate;
  // A length libsndfile does not know comes as a huge count: then the decoded frames rule.
  const double declaredFrames = static_cast<double>(format.frames) * conversion.ratio;
  conversion.outputFrames = declaredFrames < static_cast<double>(INT64_MAX / 2)
                                ? std::llround(declaredFrames)
                                : INT64_MAX;
  int error = 0;
  if (format.samplerate != static_cast<int>(kSamplesPerSecond)) {
    conversion.resampler = src_new(SRC_SINC_BEST_QUALITY, 1, &error);
  }
  std::string problem;
  bool converted = false;
  if (error != 0) {
    problem = std::string("cannot resample it: ") + src_strerror(error);
  } else if (!BeginReplacement(conversion.output, outputPath.c_str())) {
    problem = "cannot create " + Quoted(outputPath);
  } else if (!Convert(conversion, &problem)) {
    AbandonReplacement(conversion.output);
  } else if (!FileUnchangedSince(handle, stamp)) {
    AbandonReplacement(conversion.output);
    problem = ChangedWhileReadMessage("it");
  } else if (!FinishReplacement(conversion.output)) {
    problem = "cannot write " + Quoted(outputPath);
  } else {
    converted = true;
  }
  if (conversion.resampler != nullptr) src_delete(conversion.resampler);
  sf_close(conversion.input);
  platform::CloseFile(handle);
  if (!converted) return ReportFailure("converting " + Quoted(inputPath) + ": " + problem);
  return kExitDone;
}
