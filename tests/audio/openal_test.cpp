// The preview through OpenAL Soft, whose wave writer stands in for the sound card: what
// the user hears, sample for sample. (Without a device, the end-to-end tests show the one
// line the program prints.)
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/composer.h"
#include "preview/sound_preview.h"

namespace {

namespace fs = std::filesystem;
const fs::path folder = fs::temp_directory_path() / ("brivola-audio-" + std::to_string(getpid()));
const fs::path capture = folder / "capture" / "played.wav";
constexpr size_t kSamples = kPreviewBytes / 2;
constexpr size_t kHeard = kSamples + 2000;  // the loop's restart and a little beyond
const struct RemovedAtExit {
  ~RemovedAtExit() { fs::remove_all(folder); }
} removedAtExit;

std::vector<int16_t> Captured() {
  std::ifstream in(capture, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  const size_t data = bytes.find("data");  // the samples follow the chunk's id and size
  if (data == std::string::npos) return {};
  std::vector<int16_t> samples((bytes.size() - data - 8) / 2);
  std::memcpy(samples.data(), bytes.data() + data + 8, samples.size() * 2);
  return samples;
}

TEST(OpenAlPreview, PlaysTheBufferBitForBitInALoop) {
  // Mono 16-bit at the preview's rate with nothing that could touch a sample.
  fs::create_directories(capture.parent_path());
  std::ofstream(folder / "alsoft.conf")
      << "[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\nfrequency=44100\n"
         "period_size=512\ndither=false\noutput-limiter=false\nvolume-adjust=0\nhrtf=false\n"
         "[wave]\nbformat=false\nfile="
      << capture.string() << "\n";
  setenv("ALSOFT_CONF", (folder / "alsoft.conf").c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");
  activeSlot = nullptr;
  currentWaveKind = Triangle;  // 320-sample periods: the loop restarts mid-period
  ASSERT_EQ(StartPreview(nullptr), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  std::vector<int16_t> heard;
  size_t start = 0;
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    heard = Captured();
    start = std::find_if(heard.begin(), heard.end(), [](int16_t s) { return s != 0; }) -
            heard.begin() - 1;  // the triangle starts at 0, then 256
  } while (heard.size() < start + kHeard && std::chrono::steady_clock::now() < deadline);
  StopPreview();
  ASSERT_GE(heard.size(), start + kHeard);
  std::vector<uint8_t> buffer(kPreviewBytes);
  GenerateWave(Triangle, buffer.data(), kPreviewBytes);
  for (size_t i = 0; i < kHeard; ++i) {
    const size_t at = 2 * (i % kSamples);
    ASSERT_EQ(heard[start + i], static_cast<int16_t>(buffer[at] | buffer[at + 1] << 8)) << i;
  }
  // Every preview gives back what it took.
  const size_t inUse = mallinfo2().uordblks;
  const auto open = std::distance(fs::directory_iterator("/proc/self/fd"), {});
  for (int preview = 0; preview < 10; ++preview) {
    ASSERT_EQ(StartPreview(nullptr), 0);
    StopPreview();
  }
  EXPECT_LT(mallinfo2().uordblks, inUse + kPreviewBytes);
  EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), open);
}

}  // namespace
