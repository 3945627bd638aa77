#include "synthfile/synth_file.h"

#include <cstdlib>
#include <cstring>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "platform/files.h"

namespace {

// The last target, kept for the next save's chooser.
char savePath[kPathCapacity];

constexpr char kSynthFilter[] = "Synth Files(*.syn)\0*.syn\0All Files\0*.*\0";
constexpr uint32_t kLengthBytes = 4;

void PutLength(uint8_t* at, uint32_t value) {
  for (uint32_t i = 0; i < kLengthBytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

int ChooseTarget(platform::WindowHandle owner) {
  // OFN_HIDEREADONLY alone: a file that does not exist yet may be named.
  return RunPathChooser(owner, kSynthFilter, savePath, "Synth File...",
                        platform::kOfnHideReadOnly, "syn");
}

// Opens the seven sample files in row order. On failure closes those that opened.
bool OpenSources(int (&handles)[kRowCount]) {
  for (int row = 0; row < kRowCount; ++row) {
    handles[row] = platform::OpenFileForReading(kChannelRows[row].slot->FileName());
    if (handles[row] <= 0) {
      for (int opened = 0; opened < row; ++opened) platform::CloseFile(handles[opened]);
      return false;
    }
  }
  return true;
}

// Appends each file's block to the body; returns the body's length, or -1 when a read
// reports an error.
int64_t AssembleBody(const int (&handles)[kRowCount], uint8_t* body, uint8_t* scratch) {
  int64_t length = 0;
  for (int handle : handles) {
    const int32_t count =
        platform::ReadFile(handle, scratch + kLengthBytes, kMaxBlockSampleBytes);
    if (count < 0) return -1;
    PutLength(scratch, static_cast<uint32_t>(count));
    std::memcpy(body + length, scratch, kLengthBytes + count);
    length += kLengthBytes + count;
  }
  return length;
}

bool WriteAll(int handle, const uint8_t* bytes, uint32_t count) {
  return platform::WriteFile(handle, bytes, count) == static_cast<int32_t>(count);
}

// Writes the file beside the target and moves it onto the target only once it is
// complete on disk, so a failed save leaves whatever file was there untouched.
bool ReplaceTarget(const uint8_t* body, uint32_t length) {
  char temporaryPath[platform::kTemporaryPathCapacity];
  const int handle = platform::OpenReplacementFile(savePath, temporaryPath, sizeof temporaryPath);
  if (handle <= 0) return false;
  uint8_t count[kLengthBytes];
  PutLength(count, length);
  bool written = WriteAll(handle, count, kLengthBytes) && WriteAll(handle, body, length) &&
                 platform::FlushFile(handle) == 0;
  written = platform::CloseFile(handle) == 0 && written;
  if (written && platform::RenameFile(temporaryPath, savePath) == 0) return true;
  platform::RemoveFile(temporaryPath);
  return false;
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

int SaveSynthFile(platform::WindowHandle owner) {
  if (ChooseTarget(owner) == 0) return 2;

  auto* body = static_cast<uint8_t*>(std::malloc(kSynthBodyCapacity));
  auto* scratch = static_cast<uint8_t*>(std::malloc(kLengthBytes + kMaxBlockSampleBytes));
  int result = -1;
  int handles[kRowCount];
  // Every source is read before the target is touched, so a target that is also one
  // of the sample files is bundled as it was.
  if (body != nullptr && scratch != nullptr && OpenSources(handles)) {
    const int64_t length = AssembleBody(handles, body, scratch);
    for (int handle : handles) platform::CloseFile(handle);
    if (length >= 0) {
      SwapNibbles(body, static_cast<uint32_t>(length));
      if (ReplaceTarget(body, static_cast<uint32_t>(length))) result = 0;
    }
  }
  std::free(scratch);
  std::free(body);
  return result;
}
