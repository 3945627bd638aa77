// libFuzzer target over the Synth file reader. An input whose first byte is odd is a
// file as it stands; any other describes a file for the target to build, so that every
// run reaches blocks at and around the 524,288-byte limit however short the inputs are:
// seven lengths, a change to the count and a number of bytes cut from the end, the rest
// the samples. Built or not, a file is refused with a message, or decoded into seven
// blocks within the limit that fill it exactly and encode back to the very bytes given;
// a built file is accepted exactly when it was built well, with its samples in place.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "synthfile/synth_format.h"

namespace {

void Put(std::vector<uint8_t>& to, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) to.push_back(static_cast<uint8_t>(value >> shift));
}

// Three bytes as a length: small, around the limit, or anywhere up to 2^19 + 1.
uint32_t LengthOf(const uint8_t* at) {
  const uint32_t value = at[0] | at[1] << 8 | at[2] << 16;
  switch (value >> 22) {
    case 0:
      return value & 0xFF;
    case 1:
      return kMaxBlockSampleBytes - 4 + (value & 7);
    case 2:
      return value & 0xFFF;
    default:
      return value % (kMaxBlockSampleBytes + 2);
  }
}

// A row's samples: the pattern repeated from its start, zeros without one.
std::vector<uint8_t> Samples(uint32_t length, const uint8_t* pattern, size_t patternSize) {
  std::vector<uint8_t> samples(length);
  for (size_t at = 0; patternSize > 0 && at < length; at += patternSize) {
    std::memcpy(samples.data() + at, pattern, std::min<size_t>(patternSize, length - at));
  }
  return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kDescription = 1 + 3 * kRowCount + 2;
  const bool built = size >= kDescription && data[0] % 2 == 0;
  std::vector<uint8_t> bytes(data + (size > 0), data + size);
  const uint8_t* pattern = data + kDescription;
  const size_t patternSize = built ? size - kDescription : 0;
  uint32_t lengths[kRowCount];
  bool wellBuilt = built && data[kDescription - 2] == 0 && data[kDescription - 1] == 0;
  if (built) {
    std::vector<uint8_t> body;
    for (int row = 0; row < kRowCount; ++row) {
      lengths[row] = LengthOf(data + 1 + 3 * row);
      wellBuilt = wellBuilt && lengths[row] <= kMaxBlockSampleBytes;
      Put(body, lengths[row]);
      const std::vector<uint8_t> samples = Samples(lengths[row], pattern, patternSize);
      body.insert(body.end(), samples.begin(), samples.end());
    }
    for (size_t end = body.size(); end >= 2; end -= 2) {
      for (size_t i = end - 2; i < end; ++i)
        body[i] = static_cast<uint8_t>(body[i] << 4 | body[i] >> 4);
    }
    bytes.clear();
    Put(bytes, static_cast<uint32_t>(body.size()) + static_cast<int8_t>(data[kDescription - 2]));
    bytes.insert(bytes.end(), body.begin(),
                 body.end() - std::min<size_t>(data[kDescription - 1], body.size()));
  }
  const std::vector<uint8_t> given = bytes;
  SynthBlock blocks[kRowCount];
  std::string problem;
  const bool accepted = DecodeSynthFile(bytes.data(), bytes.size(), blocks, &problem) == 0;
  if (accepted != problem.empty()) __builtin_trap();
  if (built && accepted != wellBuilt) __builtin_trap();
  if (!accepted) return 0;
  size_t end = kSynthLengthBytes;
  for (int row = 0; row < kRowCount; ++row) {
    const SynthBlock& block = blocks[row];
    if (block.offset != end + kSynthLengthBytes || block.length > kMaxBlockSampleBytes)
      __builtin_trap();
    if (built &&
        (block.length != lengths[row] ||
         !std::equal(bytes.begin() + block.offset, bytes.begin() + block.offset + block.length,
                     Samples(block.length, pattern, patternSize).begin()))) {
      __builtin_trap();
    }
    end = block.offset + block.length;
  }
  if (end != bytes.size()) __builtin_trap();
  SwapNibbles(bytes.data() + kSynthLengthBytes,
              static_cast<uint32_t>(bytes.size() - kSynthLengthBytes));
  if (bytes != given) __builtin_trap();
  return 0;
}
