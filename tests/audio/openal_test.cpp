// The preview through OpenAL Soft, whose wave writer stands in for the sound card: each
// preview gives back what it took. (What plays, sample for sample and over the loop's
// restart, is heard in the AT-SPI test; without a device, the end-to-end tests show the
// one line the program prints.)
#include <gtest/gtest.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>

#include "app/composer.h"
#include "preview/sound_preview.h"

namespace {

namespace fs = std::filesystem;

TEST(OpenAlPreview, GivesBackWhatEachPreviewTook) {
  const fs::path folder = fs::temp_directory_path() / ("brivola-audio-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "alsoft.conf")
      << "[general]\ndrivers=wave\n[wave]\nfile=" << (folder / "played.wav").string() << "\n";
  setenv("ALSOFT_CONF", (folder / "alsoft.conf").c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");
  activeSlot = nullptr;
  currentWaveKind = Triangle;
  ASSERT_EQ(StartPreview(nullptr), 0);  // the library loaded, and a device opened
  StopPreview();
  const size_t inUse = mallinfo2().uordblks;
  const auto open = std::distance(fs::directory_iterator("/proc/self/fd"), {});
  for (int preview = 0; preview < 10; ++preview) {
    ASSERT_EQ(StartPreview(nullptr), 0);
    StopPreview();
  }
  EXPECT_LT(mallinfo2().uordblks, inUse + kPreviewBytes);
  EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), open);
  fs::remove_all(folder);
}

}  // namespace
