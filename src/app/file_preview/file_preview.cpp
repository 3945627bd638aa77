#include "app/file_preview/file_preview.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/choosers.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "player/preview_player.h"
#include "samples/sample_reader.h"
#include "synth/wave_generators.h"
#include "synthfile/synth_format.h"

int filePreviewRow = 0;
bool playSelectedFile = true;

namespace {

// Room for any path the chooser selects: long paths are previewed too.
constexpr uint32_t kSelectionCapacity = 32768;
constexpr double kBytesPerSecond = kSamplesPerSecond * kBytesPerSample;

// "48,000"
std::string WithThousands(int64_t number) {
  std::string digits = std::to_string(number);
  for (auto at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<size_t>(at), ",");
  }
  return digits;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

std::string ChannelWords(int channels) {
  if (channels == 1) return "mono";
  if (channels == 2) return "stereo";
  return std::to_string(channels) + " channels";
}

std::string SourceWords(const SampleSource& source, int row, int32_t taken) {
  switch (source.kind) {
    case kSoundFileSource:
      return source.sound.name + ", " + WithThousands(source.sound.rate) + " Hz, " +
             ChannelWords(source.sound.channels) + ", " +
             Seconds(static_cast<double>(source.sound.frames) / source.sound.rate);
    case kSynthFileSource:
      return "Synth file, block " + std::to_string(row + 1) + ", " +
             Seconds(taken / kBytesPerSecond);
    case kSampleFileSource:
      break;
  }
  return "PCM, " + WithThousands(kSamplesPerSecond) + " Hz, mono, " +
         Seconds(static_cast<double>(source.fileBytes) / kBytesPerSecond);
}

std::string CutWords() {
  char text[48];
  std::snprintf(text, sizeof text, "A bank keeps the first %.2f s.",
                kMaxBlockSampleBytes / kBytesPerSecond);
  return text;
}

}  // namespace

FilePreview ReadFilePreview(const char* path, int row) {
  FilePreview preview;
  switch (platform::KindOfFile(path)) {
    case platform::kRegularFile:
      break;
    case platform::kOtherFile:
      preview.words = "Not a file";
      return preview;
    default:
      return preview;
  }
  // A sample more than a block holds tells a file the bank cuts.
  std::vector<uint8_t> bytes(kMaxBlockSampleBytes + kBytesPerSample);
  SampleReadFailure failure{};
  SampleSource source{};
  const int32_t taken = ReadRowSamples(path, row, bytes.data(), static_cast<uint32_t>(bytes.size()),
                                       &failure, &source);
  if (taken < 0) {
    preview.words =
        failure.fault == kSamplesMalformed ? "Cannot decode this file" : "Cannot read this file";
    return preview;
  }
  preview.words = SourceWords(source, row, taken);
  if (static_cast<uint32_t>(taken) > kMaxBlockSampleBytes) preview.cut = CutWords();
  bytes.resize(std::min(static_cast<uint32_t>(taken), kMaxBlockSampleBytes));
  preview.samples = std::move(bytes);
  return preview;
}

std::vector<WaveColumn> WaveColumns(const int16_t* samples, size_t count, int width) {
  std::vector<WaveColumn> columns;
  if (count == 0 || width <= 0) return columns;
  const auto across = static_cast<size_t>(width);
  for (size_t column = 0; column < across; ++column) {
    const size_t first = std::min(column * count / across, count - 1);
    const size_t end = std::max(first + 1, (column + 1) * count / across);
    const auto [lowest, highest] = std::minmax_element(samples + first, samples + end);
    columns.push_back({*lowest, *highest});
  }
  return columns;
}

namespace {

// What the pane shows now, and plays.
FilePreview shown;

// As "S" plays a row: the first five seconds, silence after a shorter file.
void FillWithShown(void* region, uint32_t length) {
  const size_t count = std::min<size_t>(length, shown.samples.size());
  std::memcpy(region, shown.samples.data(), count);
  std::memset(static_cast<uint8_t*>(region) + count, 0, length - count);
}

void PlayShown(platform::WindowHandle pane) {
  StopPreview();
  if (playSelectedFile && !shown.samples.empty()) StartPreview(pane, FillWithShown);
}

void Show(platform::WindowHandle pane, FilePreview preview) {
  using namespace platform;
  shown = std::move(preview);
  SetControlText(pane, kFilePreviewWordsId, shown.words.c_str());
  SetControlText(pane, kFilePreviewCutId, shown.cut.c_str());
  std::vector<int16_t> samples(shown.samples.size() / kBytesPerSample);
  std::memcpy(samples.data(), shown.samples.data(), samples.size() * kBytesPerSample);
  SetControlWave(pane, kFilePreviewWaveId, samples.data(), samples.size());
  const std::string description = shown.cut.empty() ? shown.words : shown.words + " " + shown.cut;
  SetControlDescription(pane, kDialogItself, description.c_str());
  PlayShown(pane);
}

void ShowSelection(platform::WindowHandle pane) {
  StopPreview();  // a file being read is not played meanwhile
  std::vector<char> path(kSelectionCapacity);
  const bool selected = platform::GetChooserSelection(pane, path.data(), kSelectionCapacity) > 0;
  Show(pane, selected ? ReadFilePreview(path.data(), filePreviewRow) : FilePreview{});
}

}  // namespace

platform::DialogResult PLATFORM_CALLBACK FilePreviewProcedure(platform::WindowHandle pane,
                                                              unsigned message, uintptr_t wParam,
                                                              intptr_t lParam) {
  using namespace platform;
  switch (message) {
    case kWmInitDialog:
      CheckControl(pane, kFilePreviewPlayId, playSelectedFile);
      return kFalse;  // the focus stays where the chooser puts it
    case kWmNotify:
      if (reinterpret_cast<const NotifyHeader*>(lParam)->code != kCdnSelChange) return kFalse;
      ShowSelection(pane);
      return kTrue;
    case kWmCommand:
      if (CommandId(wParam) != kFilePreviewPlayId) return kFalse;
      playSelectedFile = IsControlChecked(pane, kFilePreviewPlayId);
      PlayShown(pane);
      return kTrue;
    case kWmDestroy:
      StopPreview();
      shown = {};
      return kTrue;
    default:
      return kFalse;
  }
}
