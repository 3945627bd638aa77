#include "synthfile/synth_format.h"

#include <cstdlib>
#include <cstring>

#include "platform/files.h"
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
  if (failure != nullptr) *failure = {fault, row};
}

// Opens the seven sample files in row order. On failure closes those that opened and
// returns the row that failed; -1 when all opened.
int OpenSources(const char* const samplePaths[kRowCount], int (&handles)[kRowCount]) {
  for (int row = 0; row < kRowCount; ++row) {
    handles[row] = platform::OpenFileForReading(samplePaths[row]);
    if (handles[row] <= 0) {
      for (int opened = 0; opened < row; ++opened) platform::CloseFile(handles[opened]);
      return row;
    }
  }
  return -1;
}

// Reads each open file's block into the body, after the count; closes the files.
// Returns the body's length, or -1 when a read reports an error, with its row in
// *failedRow.
int64_t ReadBody(const int (&handles)[kRowCount], uint8_t* file, int* failedRow) {
  int64_t length = 0;
  for (int row = 0; row < kRowCount; ++row) {
    uint8_t* block = file + kSynthLengthBytes + length;
    const int32_t count =
        platform::ReadFile(handles[row], block + kSynthLengthBytes, kMaxBlockSampleBytes);
    if (count < 0) {
      *failedRow = row;
      break;
    }
    PutLength(block, static_cast<uint32_t>(count));
    length += kSynthLengthBytes + count;
  }
  for (int handle : handles) platform::CloseFile(handle);
  return *failedRow < 0 ? length : -1;
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
  int handles[kRowCount];
  int failedRow = OpenSources(samplePaths, handles);
  if (failedRow >= 0) {
    Fail(failure, kSampleNotOpened, failedRow);
    return -1;
  }
  const int64_t length = ReadBody(handles, file, &failedRow);
  if (length < 0) {
    Fail(failure, kSampleNotRead, failedRow);
    return -1;
  }
  PutLength(file, static_cast<uint32_t>(length));
  SwapNibbles(file + kSynthLengthBytes, static_cast<uint32_t>(length));
  *size = kSynthLengthBytes + static_cast<uint32_t>(length);
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
