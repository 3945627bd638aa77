// How long the user waits between pressing a preview button and the sound starting:
// StartPreview through OpenAL Soft (device, buffers, fill, upload, play), with the
// wave writer as the sound card. Prints figures; asserts nothing.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "fakes.h"
#include "machine.h"
#include "preview/sound_preview.h"
#include "preview_timing.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kRuns = 30;
constexpr double kTargetMilliseconds = 10.0;

const std::string folder =
    std::filesystem::temp_directory_path() / ("brivola-bench-" + std::to_string(getpid()));

// OpenAL Soft's wave writer as the sound card, writing into the folder.
void ConfigureWaveWriter() {
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/alsoft.conf") << "[general]\ndrivers=wave\nchannels=mono\n"
                                            "sample-type=int16\nfrequency=44100\n[wave]\nfile="
                                         << folder << "/played.wav\n";
  setenv("ALSOFT_CONF", (folder + "/alsoft.conf").c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");
}

void Report(const char* what, const std::function<void()>& open) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) times.push_back(TimeOnePreview(open));
  const double first = times.front();
  std::sort(times.begin(), times.end());
  std::printf("%-28s median %6.2f ms  min %6.2f ms  max %6.2f ms  first run %6.2f ms  (%d runs)\n",
              what, times[times.size() / 2], times.front(), times.back(), first, kRuns);
}

// Ten seconds of noise-like samples: the preview reads a full buffer from it.
std::string WriteSampleFile() {
  const std::string path = folder + "/bench.pcm";
  std::mt19937 random(1);
  std::vector<char> bytes(2 * kPreviewBytes);
  for (char& byte : bytes) byte = static_cast<char>(random());
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace

int main() {
  ConfigureWaveWriter();
  std::printf("StartPreview through OpenAL Soft (wave writer), target %.0f ms at most\n",
              kTargetMilliseconds);
  std::printf("machine: %s\n", MachineDescription().c_str());

  currentWaveKind = Pulse25;
  Report("pulse wave (\"N\", row 1)", [] { PreviewSynth(nullptr); });

  ChannelSlot& slot = pulseSlots[0];
  fake::Choose(WriteSampleFile());
  if (slot.ChooseFile(nullptr) != 0) {
    std::printf("the sample file could not be attached\n");
  } else {
    Report("sample file (\"S\", row 0)", [&slot] { slot.PreviewSample(nullptr); });
  }

  std::filesystem::remove_all(folder);
  return 0;
}
