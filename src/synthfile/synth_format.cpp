#include "synthfile/synth_format.h"

#include <cstdlib>
#include <cstring>

#include "storage/replacement_file.h"

namespace {

void PutLength(uint8_t* at, uint32_t value) {
  for (uint32_t i = 0; i < kSynthLengthBytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLength(const uint8_t* at) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < kSynthLengthBytes; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
  return value;
}

void Fail(SynthWriteFailure* failure, SynthWriteFault fault, int row) {
  if (failure != nullptr) {
    failure->fault = fault;
    failure->row = row;
  }
}

std::string BlockName(int row) {
  return "block " + std::to_string(row + 1) + " (" + kRowCaptions[row] + ")";
}

}  // namespace

void SwapNibbles(uint8_t* bytes, uint32_t count) {
  // Every byte but the first of an odd count; eight at a time where possible, which
  // makes this a small part of a save.
  constexpr uint64_t kLowHalves = 0x0F0F0F0F0F0F0F0FULL;
  uint32_t i = count % 2;
  for (; i + sizeof(uint64_t) <= count; i += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, bytes + i, sizeof word);
    word = (word & kLowHalves) << 4 | (word >> 4 & kLowHalves);
    std::memcpy(bytes + i, &word, sizeof word);
  }
  for (; i < count; ++i) bytes[i] = static_cast<uint8_t>(bytes[i] << 4 | bytes[i] >> 4);
}

int AssembleSynthFile(const char* const samplePaths[kRowCount], uint8_t* file, uint32_t* size,
                      SynthWriteFailure* failure) {
  uint32_t length = 0;
  for (int row = 0; row < kRowCount; ++row) {
    uint8_t* block = file + kSynthLengthBytes + length;
    const int32_t count =
        ReadRowSamples(samplePaths[row], row, block + kSynthLengthBytes, kMaxBlockSampleBytes,
                       failure != nullptr ? &failure->sample : nullptr);
    if (count < 0) {
      Fail(failure, kSampleNotRead, row);
      return -1;
    }
    PutLength(block, static_cast<uint32_t>(count));
    length += kSynthLengthBytes + static_cast<uint32_t>(count);
  }
  PutLength(file, length);
  SwapNibbles(file + kSynthLengthBytes, length);
  *size = kSynthLengthBytes + length;
  return 0;
}

int WriteSynthFile(const char* const samplePaths[kRowCount], const char* target,
                   SynthWriteFailure* failure) {
  auto* file = static_cast<uint8_t*>(std::malloc(kLargestSynthFile));
  int result = -1;
  uint32_t size = 0;
  // Every source is read before the target is touched, so a target that is also one
  // of the sample files is bundled as it was.
  if (file == nullptr) {
    Fail(failure, kNoMemory, 0);
  } else if (AssembleSynthFile(samplePaths, file, &size, failure) == 0) {
    ReplacementFile replacement;
    if (BeginReplacement(replacement, target)) {
      // Exactly two writes, the 4-byte count first.
      AppendToReplacement(replacement, file, kSynthLengthBytes);
      AppendToReplacement(replacement, file + kSynthLengthBytes, size - kSynthLengthBytes);
      result = FinishReplacement(replacement) ? 0 : -1;
    }
    if (result != 0) Fail(failure, kTargetNotWritten, 0);
  }
  std::free(file);
  return result;
}

int DecodeSynthFile(uint8_t* bytes, size_t size, SynthBlock (&blocks)[kRowCount],
                    std::string* problem) {
  if (size < kSynthLengthBytes) {
    *problem = "truncated: " + std::to_string(size) + " bytes, too short for the count at byte 0";
    return -1;
  }
  const uint32_t count = GetLength(bytes);
  if (count != size - kSynthLengthBytes) {
    *problem = "the count at byte 0 says " + std::to_string(count) + " bytes follow, but " +
               std::to_string(size - kSynthLengthBytes) + " do";
    return -1;
  }
  SwapNibbles(bytes + kSynthLengthBytes, count);
  size_t at = kSynthLengthBytes;
  for (int row = 0; row < kRowCount; ++row) {
    if (size - at < kSynthLengthBytes) {
      *problem = "truncated: the file ends at byte " + std::to_string(size) + ", inside " +
                 BlockName(row) + "'s length at byte " + std::to_string(at);
      return -1;
    }
    const uint32_t length = GetLength(bytes + at);
    if (length > kMaxBlockSampleBytes) {
      *problem = BlockName(row) + " at byte " + std::to_string(at) + " claims " +
                 std::to_string(length) + " bytes, more than the 524288 a block holds";
      return -1;
    }
    at += kSynthLengthBytes;
    if (length > size - at) {
      *problem = BlockName(row) + " at byte " + std::to_string(at - kSynthLengthBytes) +
                 " claims " + std::to_string(length) + " bytes, running " +
                 std::to_string(length - (size - at)) + " bytes past the end of the file";
      return -1;
    }
    blocks[row] = {static_cast<uint32_t>(at), length};
    at += length;
  }
  if (at != size) {
    *problem = std::to_string(size - at) + " bytes left over after the seventh block, from byte " +
               std::to_string(at);
    return -1;
  }
  return 0;
}
