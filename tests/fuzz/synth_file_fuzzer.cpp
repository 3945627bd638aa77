// libFuzzer target over the Synth file reader. Any bytes are either refused with a
// message, or decoded into seven blocks within the limit that fill the file exactly and
// encode back to the very bytes given.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "synthfile/synth_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  SynthBlock blocks[kRowCount];
  std::string problem;
  if (DecodeSynthFile(bytes.data(), bytes.size(), blocks, &problem) != 0) {
    if (problem.empty()) __builtin_trap();
    return 0;
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
  return 0;
}
