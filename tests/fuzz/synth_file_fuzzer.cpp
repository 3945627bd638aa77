// libFuzzer target over the Synth file reader and a row's sample readers. Any bytes are
// either refused with a message, or decoded into seven blocks within the limit that
// fill the file exactly and encode back to the very bytes given. The same bytes, read
// as a row's samples from a file under a sound file's name and under a Synth file's,
// either fail with a reason or fill at most the bytes asked for. Those two files are
// written in the current folder.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "samples/sample_reader.h"
#include "synthfile/synth_format.h"

namespace {

constexpr uint32_t kAsked = 441000;  // a preview's worth

// Writes the bytes to the file (in the current folder) and reads them as a row's samples
// into a region of just the bytes asked for: AddressSanitizer catches a write past it.
void ReadAsRowSamples(const char* path, const uint8_t* data, size_t size) {
  if (!std::ofstream(path, std::ios::binary)
           .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size))) {
    __builtin_trap();
  }
  // Kept from run to run: mapping it afresh each time would dominate a run.
  static std::vector<uint8_t> region(kAsked);
  SampleReadFailure failure{};
  const int32_t count =
      ReadRowSamples(path, static_cast<int>(size % kRowCount), region.data(), kAsked, &failure);
  if (count > static_cast<int32_t>(kAsked)) __builtin_trap();
  if (count < 0 && failure.fault == kSamplesMalformed && failure.problem.empty()) __builtin_trap();
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
