#include "wave_writer.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace {

std::string folder;

// Mono 16-bit at the preview's rate, with everything that could touch a sample turned
// off: dithering, the output limiter, volume adjustment, HRTF. At equal rates OpenAL
// copies samples without resampling. Other configuration files on the machine are
// read first, so these settings win.
void WriteConfiguration(const std::string& path) {
  std::ofstream(path) << "[general]\n"
                         "drivers=wave\n"
                         "channels=mono\n"
                         "sample-type=int16\n"
                         "frequency=44100\n"
                         "period_size=512\n"
                         "dither=false\n"
                         "output-limiter=false\n"
                         "volume-adjust=0\n"
                         "hrtf=false\n"
                         "[wave]\n"
                         "file=" << CaptureFile() << "\n"
                         "bformat=false\n";
}

}  // namespace

void ConfigureWaveWriter() {
  std::string pattern = std::filesystem::temp_directory_path() / "brivola-audio-XXXXXX";
  folder = mkdtemp(pattern.data());
  std::filesystem::create_directory(CaptureFolder());
  const std::string configuration = folder + "/alsoft.conf";
  WriteConfiguration(configuration);
  setenv("ALSOFT_CONF", configuration.c_str(), 1);
  unsetenv("ALSOFT_DRIVERS");  // it would override the configuration's driver list
}

void RemoveWaveWriterFolder() { std::filesystem::remove_all(folder); }

std::string CaptureFolder() { return folder + "/capture"; }
std::string CaptureFile() { return CaptureFolder() + "/preview.wav"; }
