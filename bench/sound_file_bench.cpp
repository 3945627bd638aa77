// How a row's sound file is read: the start of a preview ("S") of a one-hour 48 kHz
// stereo FLAC beside one of a ten-second FLAC, the save of seven one-hour FLACs, and
// what each adds to the process's peak memory. The FLACs are made once into a cache
// folder under the build folder. Prints figures; asserts nothing.
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/composer.h"
#include "app/file_preview/file_preview.h"
#include "channels/channel_slot.h"
#include "fakes.h"
#include "machine.h"
#include "preview_timing.h"
#include "resources/resource_ids.h"
#include "synthfile/synth_format.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;
constexpr int kChannels = 2;
constexpr int kPreviewRuns = 41;
constexpr int kSaveRuns = 5;

const std::string kCache = BRIVOLA_BENCH_CACHE;

// A FLAC of two sines lasting the seconds given, a fifth apart from 220 Hz above the
// tone given, made unless the cache holds it already. Returns its path, or "" when it
// cannot be made.
std::string CachedFlac(int seconds, int tone) {
  const double low = 220.0 * (tone + 1);
  const std::string path =
      kCache + "/sines-" + std::to_string(seconds) + "s-" + std::to_string(tone) + ".flac";
  if (std::filesystem::exists(path)) return path;
  std::filesystem::create_directories(kCache);
  std::printf("making %s once ...\n", path.c_str());
  std::fflush(stdout);
  const std::string partial = path + ".partial";
  SF_INFO format{0, kRate, kChannels, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0, 0};
  SNDFILE* file = sf_open(partial.c_str(), SFM_WRITE, &format);
  if (file == nullptr) return "";
  std::vector<float> frames(static_cast<size_t>(kRate * kChannels));
  for (int second = 0; second < seconds; ++second) {
    for (int frame = 0; frame < kRate; ++frame) {
      const double time = second + static_cast<double>(frame) / kRate;
      frames[2 * frame] = static_cast<float>(0.5 * std::sin(2 * M_PI * low * time));
      frames[2 * frame + 1] = static_cast<float>(0.5 * std::sin(2 * M_PI * 1.5 * low * time));
    }
    sf_writef_float(file, frames.data(), kRate);
  }
  if (sf_close(file) != 0) return "";
  std::filesystem::rename(partial, path);
  return path;
}

// The process's resident memory, current (VmRSS) or peak (VmHWM), in kB.
long MemoryKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

// What the work adds to the peak memory, in MB: the peak is reset to the present first.
double AddedPeakMegabytes(const std::function<void()>& work) {
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = MemoryKilobytes("VmRSS");
  work();
  return (MemoryKilobytes("VmHWM") - before) / 1024.0;
}

// Runs the work in a child process, whose memory is still as the program's at its start,
// and prints what the work adds to the peak memory.
void PrintAddedPeak(const char* what, const std::function<void()>& work) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    std::printf("  %-36s %5.1f MB\n", what, AddedPeakMegabytes(work));
    std::fflush(stdout);
    _exit(0);
  }
  waitpid(child, nullptr, 0);
}

// The chooser's pane for one selection: the file read as the row takes it, and the
// picture's columns at the pane's usual width. In milliseconds.
double TimeOneSelection(const std::string& path) {
  constexpr int kPaneWidth = 260;
  const auto started = Clock::now();
  const FilePreview preview = ReadFilePreview(path.c_str(), 0);
  const auto* samples = reinterpret_cast<const int16_t*>(preview.samples.data());
  WaveColumns(samples, preview.samples.size() / 2, kPaneWidth);
  return std::chrono::duration<double, std::milli>(Clock::now() - started).count();
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Attach(ChannelSlot& slot, const std::string& path) {
  fake::Choose(path);
  slot.ChooseFile(nullptr);
}

}  // namespace

int main() {
  std::printf("Machine: %s\n", MachineDescription().c_str());
  const std::string tenSeconds = CachedFlac(10, 0);
  std::string hours[kRowCount];
  const char* paths[kRowCount];
  for (int row = 0; row < kRowCount; ++row) {
    hours[row] = CachedFlac(3600, row);
    paths[row] = hours[row].c_str();
    if (hours[row].empty() || tenSeconds.empty()) {
      std::printf("the FLACs could not be made in %s\n", kCache.c_str());
      return 1;
    }
  }
  const std::string& hour = hours[0];
  ChannelSlot& slot = pulseSlots[0];
  const std::string target = kCache + "/seven-hours.syn";
  std::printf("\nAdded to the peak memory, each in a fresh process (target: at most 16 MB):\n");
  Attach(slot, hour);
  PrintAddedPeak("a preview of the one-hour FLAC",
                 [&] { TimeOnePreview([&slot] { slot.PreviewSample(nullptr); }); });
  PrintAddedPeak("a save of seven one-hour FLACs",
                 [&] { WriteSynthFile(paths, target.c_str(), nullptr); });

  std::printf("\nStartPreview of a 48 kHz stereo FLAC (\"S\"), %d runs, side by side:\n",
              kPreviewRuns);
  std::vector<double> shortTimes, longTimes;
  for (int run = 0; run < kPreviewRuns; ++run) {
    Attach(slot, tenSeconds);
    shortTimes.push_back(TimeOnePreview([&slot] { slot.PreviewSample(nullptr); }));
    Attach(slot, hour);
    longTimes.push_back(TimeOnePreview([&slot] { slot.PreviewSample(nullptr); }));
  }
  const double shortMedian = Median(shortTimes), longMedian = Median(longTimes);
  std::printf("  %-12s median %6.2f ms  min %6.2f ms  max %6.2f ms\n", "ten seconds", shortMedian,
              *std::min_element(shortTimes.begin(), shortTimes.end()),
              *std::max_element(shortTimes.begin(), shortTimes.end()));
  std::printf(
      "  %-12s median %6.2f ms  min %6.2f ms  max %6.2f ms  (%+.1f %% against ten "
      "seconds; targets: within 20 %% and 25 ms)\n",
      "one hour", longMedian, *std::min_element(longTimes.begin(), longTimes.end()),
      *std::max_element(longTimes.begin(), longTimes.end()), 100 * (longMedian / shortMedian - 1));

  std::vector<double> saves;
  for (int run = 0; run < kSaveRuns; ++run) {
    const auto started = Clock::now();
    if (WriteSynthFile(paths, target.c_str(), nullptr) != 0) std::printf("the save failed\n");
    saves.push_back(std::chrono::duration<double>(Clock::now() - started).count());
  }
  std::printf(
      "\nSaving seven one-hour FLACs (WriteSynthFile), %d runs: median %.3f s, min %.3f s "
      "(target: at most 0.5 s)\n",
      kSaveRuns, Median(saves), *std::min_element(saves.begin(), saves.end()));

  std::vector<double> hourSelections;
  for (int run = 0; run < kPreviewRuns; ++run) hourSelections.push_back(TimeOneSelection(hour));
  std::printf(
      "\nThe chooser's pane on selecting the one-hour FLAC (words and picture), %d runs: "
      "median %.2f ms, max %.2f ms (target: within 50 ms)\n",
      kPreviewRuns, Median(hourSelections),
      *std::max_element(hourSelections.begin(), hourSelections.end()));
  // Down held through a folder of 200 ten-second takes: each selection is read on the
  // window's thread, so the longest read is the longest the chooser stands still.
  const std::string folder = kCache + "/two-hundred-takes";
  std::filesystem::create_directories(folder);
  std::vector<double> downSelections;
  for (int take = 0; take < 200; ++take) {
    const std::string path = folder + "/take-" + std::to_string(take) + ".flac";
    if (!std::filesystem::exists(path)) std::filesystem::copy_file(tenSeconds, path);
    downSelections.push_back(TimeOneSelection(path));
  }
  std::printf(
      "Down held through 200 ten-second 48 kHz stereo FLACs: median %.2f ms, longest %.2f ms "
      "(target: never over 100 ms)\n",
      Median(downSelections), *std::max_element(downSelections.begin(), downSelections.end()));

  std::filesystem::remove(target);
  return 0;
}
