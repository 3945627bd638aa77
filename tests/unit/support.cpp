#include "support.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "app/composer.h"
#include "resources/resource_ids.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() : path(fs::temp_directory_path() / "brivola-test-XXXXXX") {
  mkdtemp(path.data());
}

TempFolder::~TempFolder() { fs::remove_all(path); }

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
  std::ofstream(Path(name), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  return Path(name);
}

size_t TempFolder::Count() const {
  return static_cast<size_t>(std::distance(fs::directory_iterator(path), {}));
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(count);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

int RunMainWindow(const std::function<void(fake::Window& main)>& actions) {
  fake::Script(IDD_COMPOSER, [&](fake::Window& main) {
    actions(main);
    fake::Send(main, platform::kWmClose);
  });
  return RunComposer();
}

void Attach(fake::Window& main, int row, std::optional<std::string> path) {
  fake::Choose(path);
  fake::Script(IDD_CHANNEL_PROPERTIES, [](fake::Window& properties) {
    fake::Click(properties, IDC_PROPERTIES_BROWSE);
    fake::Click(properties, platform::kIdOk);
  });
  fake::Click(main, kPropertiesFirstId + row);
}

Lines LoggedBy(const std::function<void()>& action) {
  const size_t before = fake::Log().size();
  action();
  return Lines(fake::Log().begin() + static_cast<long>(before), fake::Log().end());
}

void ComposerTest::SetUp() {
  fake::Reset();
  RunMainWindow([](fake::Window& main) {
    for (int row = 0; row < kRowCount; ++row) Attach(main, row, std::nullopt);
  });
  fake::Reset();
  openDescriptors = std::distance(fs::directory_iterator("/proc/self/fd"), {});
}

void ComposerTest::TearDown() {
  EXPECT_EQ(fake::LiveAudioObjects(), 0);
  EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), openDescriptors);
}
