// The start of a preview ("S") of a row's sound file in the Windows program: the read of
// the five seconds it plays, from a one-hour 48 kHz stereo FLAC beside a ten-second one,
// alternating. ./dev bench runs it under wine64 on the FLACs the Linux benchmark made.
// Prints figures; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "preview/sound_preview.h"
#include "samples/sample_reader.h"

namespace {

constexpr int kRuns = 41;

// Milliseconds to read a preview's worth of the file's samples, or -1 when it cannot be read.
double PreviewReadTime(const char* path, std::vector<uint8_t>& buffer) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const int32_t read = ReadRowSamples(path, 0, buffer.data(), kPreviewBytes, nullptr);
  QueryPerformanceCounter(&end);
  if (read != static_cast<int32_t>(kPreviewBytes)) return -1;
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: brivola-windows-bench ONE-HOUR.flac TEN-SECONDS.flac\n");
    return 2;
  }
  std::vector<uint8_t> buffer(kPreviewBytes);
  std::vector<double> hour, tenSeconds;
  for (int run = 0; run < kRuns; ++run) {
    hour.push_back(PreviewReadTime(argv[1], buffer));
    tenSeconds.push_back(PreviewReadTime(argv[2], buffer));
  }
  if (*std::min_element(hour.begin(), hour.end()) < 0 ||
      *std::min_element(tenSeconds.begin(), tenSeconds.end()) < 0) {
    std::fprintf(stderr, "brivola-windows-bench: cannot read the FLACs\n");
    return 1;
  }
  std::printf(
      "a preview's read in the Windows program, a one-hour 48 kHz stereo FLAC beside a "
      "ten-second one, %d runs each: median %.1f ms against %.1f ms (%+.0f %%)\n",
      kRuns, Median(hour), Median(tenSeconds), 100.0 * (Median(hour) / Median(tenSeconds) - 1));
  return 0;
}
