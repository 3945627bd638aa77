// convert: any audio file libsndfile reads, made into a sample for a row: mono,
// 44,100 Hz, 16-bit, as a WAV file or as headerless little-endian samples.
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/synth_tool.h"
#include "platform/files.h"
#include "samples/sound_decoder.h"
#include "storage/replacement_file.h"
#include "synth/wave_generators.h"

namespace {

// Samples written at a time.
constexpr size_t kSamplesAtATime = 16384;

// Writes every sample the decoder gives to the output.
bool WriteSamples(SoundDecoder& decoder, SNDFILE* output, std::string* problem) {
  std::vector<int16_t> samples(kSamplesAtATime);
  for (;;) {
    const int64_t count = DecodeSamples(decoder, samples.data(), samples.size(), problem);
    if (count <= 0) return count == 0;
    if (sf_writef_short(output, samples.data(), count) != count) return false;
  }
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

// Writes the decoded input to the output path; on failure *problem says what failed.
void ConvertInto(SoundDecoder& decoder, const Input& source, const std::string& path,
                 std::string* problem) {
  const bool toStandardOutput = path == kStandardStream;
  const std::string name = toStandardOutput ? "standard output" : Quoted(path);
  ReplacementFile file{};
  errno = 0;
  SNDFILE* output = OpenOutput(path, &file);
  if (output == nullptr) {
    *problem = toStandardOutput ? WithReason("cannot write " + name, errno)
                                : CannotWriteMessage({path}, errno);
    return;
  }
  // A failed write leaves the problem to libsndfile's message.
  const bool converted = WriteSamples(decoder, output, problem);
  const std::string writeFault = sf_strerror(output);
  const int closed = sf_close(output);
  if (!converted || closed != 0) {
    if (!toStandardOutput) AbandonReplacement(file);
    if (problem->empty()) {
      *problem =
          "cannot write " + name + ": " + (closed != 0 ? sf_error_number(closed) : writeFault);
    }
    return;
  }
  if (!InputUnchanged(source)) {
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
  Input source;
  if (!OpenInput(inputPath, &source)) return kExitFailed;
  SoundDecoder decoder;
  std::string problem;
  if (OpenSoundDecoder(source.handle, &decoder, &problem) == kSoundFileRead) {
    ConvertInto(decoder, source, arguments.operands[1], &problem);
    CloseSoundDecoder(decoder);
  }
  CloseInput(source);
  if (!problem.empty()) {
    return ReportFailure("converting " + Quoted(inputPath) + ": " + problem);
  }
  return kExitDone;
}
