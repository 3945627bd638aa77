// libFuzzer target over the Synth file reader and a row's sample readers. Any bytes are
// either refused with a message, or decoded into seven blocks within the limit that
// fill the file exactly and encode back to the very bytes given. The same bytes, read
// as a row's samples from a file under a sound file's name and under a Synth file's,
// either fail with a reason or fill at most the bytes asked for. Those two files are
// written in the current folder.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "samples/sample_reader.h"
#include "synthfile/synth_format.h"

namespace {

constexpr uint32_t kAsked = 441000;  // a preview's worth
constexpr size_t kGuardBytes = 64;
constexpr uint8_t kUntouched = 0xA5;

// Writes the bytes to the file (in the current folder) and reads them as a row's samples.
void ReadAsRowSamples(const char* path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    __builtin_trap();
  }
  // Kept from run to run: mapping it afresh each time would dominate a run.
  static std::vector<uint8_t> region(kAsked + kGuardBytes);
  std::fill(region.begin(), region.end(), kUntouched);
  SampleReadFailure failure{};
  const int32_t count =
      ReadRowSamples(path, static_cast<int>(size % kRowCount), region.data(), kAsked, &failure);
  if (count > static_cast<int32_t>(kAsked)) __builtin_trap();
  if (count < 0 && failure.fault == kSamplesMalformed && failure.problem.empty()) __builtin_trap();
  if (std::count(region.begin() + kAsked, region.end(), kUntouched) != kGuardBytes) {
    __builtin_trap();
  }
}

void CheckSynthFileReader(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  SynthBlock blocks[kRowCount];
  std::string problem;
  if (DecodeSynthFile(bytes.data(), bytes.size(), blocks, &problem) != 0) {
    if (problem.empty()) __builtin_trap();
    return;
  }
  size_t end = kSynthLengthBytes;
  for (const SynthBlock& block : blocks) {
    if (block.offset != end + kSynthLengthBytes || block.length > kMaxBlockSampleBytes) {
      __builtin_trap();
    }
    end = block.offset + block.length;
  }
  if (end != size) __builtin_trap();
  SwapNibbles(bytes.data() + kSynthLengthBytes, static_cast<uint32_t>(size - kSynthLengthBytes));
  if (std::memcmp(bytes.data(), data, size) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckSynthFileReader(data, size);
  ReadAsRowSamples("take.wav", data, size);
  ReadAsRowSamples("bank.syn", data, size);
  return 0;
}
