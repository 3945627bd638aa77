// render: a built-in wave written to a file, as the composer's preview makes it.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/synth_tool.h"
#include "synth/wave_generators.h"

namespace {

constexpr double kDefaultSeconds = 5.0;
constexpr double kMostSeconds = 600.0;

struct NamedWave {
  const char* name;
  WaveKind kind;
};

constexpr NamedWave kWaves[] = {{"pulse12", Pulse125},        {"pulse25", Pulse25},
                                {"pulse50", Pulse50},         {"pulse75", Pulse75},
                                {"triangle", Triangle},       {"noise", Noise},
                                {"looped-noise", LoopedNoise}};

const NamedWave* FindWave(const std::string& name) {
  for (const NamedWave& wave : kWaves) {
    if (name == wave.name) return &wave;
  }
  return nullptr;
}

// A number of seconds above 0 and at most kMostSeconds; false when the text is not one.
bool ParseSeconds(const std::string& text, double* seconds) {
  char* end = nullptr;
  *seconds = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(*seconds) && *seconds > 0.0 &&
         *seconds <= kMostSeconds;
}

void PutLittleEndian(std::vector<uint8_t>& to, uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) to.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<uint8_t>& to, const char* text) {
  for (; *text != '\0'; ++text) to.push_back(static_cast<uint8_t>(*text));
}

// The 44-byte header of a WAV file holding 16-bit mono PCM at 44,100 Hz.
std::vector<uint8_t> WaveHeader(uint32_t dataBytes) {
  constexpr uint32_t kFormatChunkBytes = 16;
  constexpr uint32_t kPcmFormat = 1;
  constexpr uint32_t kChannels = 1;
  std::vector<uint8_t> header;
  PutText(header, "RIFF");
  PutLittleEndian(header, 36 + dataBytes, 4);
  PutText(header, "WAVEfmt ");
  PutLittleEndian(header, kFormatChunkBytes, 4);
  PutLittleEndian(header, kPcmFormat, 2);
  PutLittleEndian(header, kChannels, 2);
  PutLittleEndian(header, kSamplesPerSecond, 4);
  PutLittleEndian(header, kSamplesPerSecond * kBytesPerSample * kChannels, 4);
  PutLittleEndian(header, kBytesPerSample * kChannels, 2);
  PutLittleEndian(header, 8 * kBytesPerSample, 2);
  PutText(header, "data");
  PutLittleEndian(header, dataBytes, 4);
  return header;
}

}  // namespace

int RunRender(const CommandArguments& arguments) {
  const std::string& name = arguments.operands[0];
  const NamedWave* wave = FindWave(name);
  if (wave == nullptr) {
    return ReportUsageError("unknown wave '" + name +
                                "'; the waves are pulse12, pulse25, pulse50, pulse75, "
                                "triangle, noise and looped-noise",
                            "render");
  }
  double seconds = kDefaultSeconds;
  const auto secondsOption = arguments.options.find("seconds");
  if (secondsOption != arguments.options.end() && !ParseSeconds(secondsOption->second, &seconds)) {
    return ReportUsageError(
        "--seconds takes a number above 0 and at most 600, not '" + secondsOption->second + "'",
        "render");
  }
  const auto sampleCount = static_cast<uint32_t>(std::llround(seconds * kSamplesPerSecond));
  if (sampleCount == 0) {
    return ReportUsageError(
        "--seconds " + secondsOption->second + " is shorter than one sample at 44,100 Hz",
        "render");
  }
  // The output's name chooses its format; standard output has none and follows --wav.
  const bool waveAsked = arguments.options.count("wav") != 0;
  const auto outputOption = arguments.options.find("output");
  const std::string output = outputOption != arguments.options.end()
                                 ? outputOption->second
                                 : name + (waveAsked ? ".wav" : ".pcm");
  const bool asWave = output == kStandardStream ? waveAsked : NamesWaveFile(output);
  if (waveAsked && !asWave) {
    return ReportUsageError(
        "--wav writes a WAV file, but " + Quoted(output) + " does not end in .wav", "render");
  }

  const uint32_t dataBytes = sampleCount * kBytesPerSample;
  std::vector<uint8_t> file = asWave ? WaveHeader(dataBytes) : std::vector<uint8_t>();
  const size_t headerBytes = file.size();
  file.resize(headerBytes + dataBytes);
  // One call for the whole region, as a preview makes its five seconds.
  GenerateWave(wave->kind, file.data() + headerBytes, dataBytes);
  return WriteOutput(output, file.data(), file.size()) ? kExitDone : kExitFailed;
}
