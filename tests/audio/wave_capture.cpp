#include "wave_capture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

constexpr uint32_t kRate = 44100;
constexpr auto kPollInterval = std::chrono::milliseconds(5);
constexpr auto kDeadlineMargin = std::chrono::seconds(5);

uint32_t LittleEndian(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

// The bytes on disk, and how many more the writer may hold in its stdio buffer, which
// is one block of the file system.
struct CaptureSize {
  size_t onDisk;
  size_t unflushed;
};

CaptureSize MeasureCapture() {
  struct stat status {};
  if (stat(CaptureFile().c_str(), &status) != 0) return {0, BUFSIZ};
  return {static_cast<size_t>(status.st_size), static_cast<size_t>(status.st_blksize)};
}

}  // namespace

void WaitForSoundSamples(size_t count) {
  // Everything mixed so far, the header included, is at most what is on disk plus the
  // unflushed buffer, and the sound starts no later than that.
  const CaptureSize now = MeasureCapture();
  const size_t enough = now.onDisk + now.unflushed + 2 * count;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(count * 1000 / kRate) + kDeadlineMargin;
  while (MeasureCapture().onDisk < enough && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kPollInterval);
  }
}

Samples ReadCapture() {
  std::ifstream in(CaptureFile(), std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
      std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
    ADD_FAILURE() << "the capture is not a wave file (" << bytes.size() << " bytes)";
    return {};
  }
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
    const size_t size = LittleEndian(bytes, at + 4, 4);
    const size_t body = at + 8;
    if (id == "fmt ") {
      constexpr uint32_t kExtensible = 0xFFFE;
      const uint32_t tag = LittleEndian(bytes, body, 2);
      EXPECT_TRUE(tag == 1 || tag == kExtensible) << tag;
      EXPECT_EQ(LittleEndian(bytes, body + 2, 2), 1u) << "channels";
      EXPECT_EQ(LittleEndian(bytes, body + 4, 4), kRate) << "rate";
      EXPECT_EQ(LittleEndian(bytes, body + 14, 2), 16u) << "bits per sample";
    } else if (id == "data") {
      const size_t end = std::min(bytes.size(), body + size);
      Samples samples((end - body) / 2);
      for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(LittleEndian(bytes, body + 2 * i, 2));
      }
      return samples;
    }
    at = body + size + (size & 1);
  }
  ADD_FAILURE() << "the capture has no data chunk";
  return {};
}

size_t FindSignalStart(const Samples& captured, const Samples& expected, size_t length) {
  if (expected.size() < length || captured.size() < length) return kNotFound;
  for (size_t start = 0; start + length <= captured.size(); ++start) {
    if (std::equal(expected.begin(), expected.begin() + length, captured.begin() + start)) {
      return start;
    }
  }
  return kNotFound;
}
