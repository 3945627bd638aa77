// Prints how fast the generators fill the preview buffer and how fast a Synth file is
// saved, each next to the physical floor measured in the same run.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/composer.h"
#include "app/synth_file.h"
#include "channels/channel_slot.h"
#include "fakes.h"
#include "machine.h"
#include "preview/sound_preview.h"

namespace {

using Clock = std::chrono::steady_clock;

double Nanoseconds(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

double Median(std::vector<double> times) {
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

// Median wall time of the runs, in nanoseconds.
double MedianNanoseconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) times.push_back(Nanoseconds(work));
  return Median(times);
}

void BenchGenerators() {
  constexpr uint32_t samples = kPreviewBytes / 2;
  constexpr int runs = 201;
  std::vector<uint8_t> buffer(kPreviewBytes);
  volatile uint8_t sink = 0;
  const double floor = MedianNanoseconds(runs, [&] {
    std::memset(buffer.data(), static_cast<int>(sink) + 1, buffer.size());
    sink = buffer[samples];
  });
  std::printf("Filling the %u-byte preview buffer (%u samples), median of %d runs:\n",
              kPreviewBytes, samples, runs);
  std::printf("  %-14s %9.1f us  %6.3f ns/sample\n", "memset", floor / 1000, floor / samples);
  const struct {
    const char* name;
    std::function<void()> fill;
  } waves[] = {
      {"Pulse 12.5 %", [&] { GeneratePulse(Pulse125, buffer.data(), kPreviewBytes); }},
      {"Pulse 25 %", [&] { GeneratePulse(Pulse25, buffer.data(), kPreviewBytes); }},
      {"Pulse 50 %", [&] { GeneratePulse(Pulse50, buffer.data(), kPreviewBytes); }},
      {"Pulse 75 %", [&] { GeneratePulse(Pulse75, buffer.data(), kPreviewBytes); }},
      {"Triangle", [&] { GenerateTriangle(buffer.data(), kPreviewBytes); }},
      {"Noise", [&] { GenerateNoise(0, buffer.data(), kPreviewBytes); }},
      {"Looped noise", [&] { GenerateNoise(1, buffer.data(), kPreviewBytes); }},
  };
  for (const auto& wave : waves) {
    const double time = MedianNanoseconds(runs, [&] {
      wave.fill();
      sink = buffer[samples];
    });
    std::printf("  %-14s %9.1f us  %6.3f ns/sample  %5.1fx memset\n", wave.name, time / 1000,
                time / samples, time / floor);
  }
}

void BenchSave() {
  constexpr size_t sampleBytes = 600000;
  constexpr int runs = 31;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("brivola-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::vector<char> content(sampleBytes);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 2654435761u >> 24);
  for (int row = 0; row < kRowCount; ++row) {
    const std::string path = folder / ("row" + std::to_string(row) + ".pcm");
    std::ofstream(path, std::ios::binary).write(content.data(), content.size());
    fake::Choose(path);
    kChannelRows[row].slot->ChooseFile(nullptr);
  }
  const std::string target = folder / "song.syn";
  auto saveOnce = [&] {
    fake::Choose(target);
    if (SaveSynthFile(nullptr) != 0) std::fprintf(stderr, "the save failed\n");
  };
  saveOnce();

  // The floor: the same bytes written with two plain writes into a file, then flushed.
  const uintmax_t fileBytes = std::filesystem::file_size(target);
  std::vector<char> bytes(fileBytes, 'x');
  const std::string copy = folder / "copy.syn";
  auto writeOnce = [&] {
    const int handle = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool written =
        write(handle, bytes.data(), 4) == 4 &&
        write(handle, bytes.data() + 4, bytes.size() - 4) == static_cast<ssize_t>(bytes.size() - 4);
    written = fsync(handle) == 0 && written;
    close(handle);
    if (!written) std::fprintf(stderr, "the plain write failed\n");
  };
  // Alternating, so that both see the same state of the disk.
  std::vector<double> saves, plains;
  for (int run = 0; run < runs; ++run) {
    saves.push_back(Nanoseconds(saveOnce));
    plains.push_back(Nanoseconds(writeOnce));
  }
  const double save = Median(saves);
  const double plain = Median(plains);
  std::filesystem::remove_all(folder);
  std::printf("\nSaving seven %zu-byte samples (%ju bytes written), median of %d runs:\n",
              sampleBytes, fileBytes, runs);
  std::printf("  %-28s %8.2f ms\n", "plain write + flush", plain / 1e6);
  std::printf("  %-28s %8.2f ms  %4.2fx plain\n", "SaveSynthFile", save / 1e6, save / plain);
}

}  // namespace

int main() {
  std::printf("Machine: %s\n\n", MachineDescription().c_str());
  BenchGenerators();
  BenchSave();
  return 0;
}
