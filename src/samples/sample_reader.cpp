#include "samples/sample_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "samples/sound_samples.h"
#include "storage/replacement_file.h"
#include "synthfile/synth_format.h"

namespace {

constexpr char kSampleFileExtension[] = ".pcm";
constexpr char kSynthFileExtension[] = ".syn";

// Whether the path ends in the extension, in any case.
bool HasExtension(const char* path, const char* extension) {
  const size_t length = std::strlen(path), extensionLength = std::strlen(extension);
  if (length < extensionLength) return false;
  const char* end = path + length - extensionLength;
  for (size_t i = 0; i < extensionLength; ++i) {
    const char letter =
        end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
    if (letter != extension[i]) return false;
  }
  return true;
}

int32_t Fail(SampleReadFailure* failure, SampleReadFault fault, int error,
             const std::string& problem = std::string()) {
  if (failure != nullptr) *failure = {fault, error, problem};
  return -1;
}

// The file's bytes as they are.
int32_t ReadSampleFile(int handle, uint8_t* region, uint32_t byteCount,
                       SampleReadFailure* failure) {
  if (byteCount == 0) return 0;
  errno = 0;
  const int32_t count = platform::ReadFile(handle, region, byteCount);
  return count >= 0 ? count : Fail(failure, kSamplesNotRead, errno);
}

// The row's block of a Synth file of the given size, which is read and checked whole.
int32_t ReadSynthBlock(int handle, int64_t fileSize, int row, uint8_t* region, uint32_t byteCount,
                       SampleReadFailure* failure) {
  // One byte more than the file, or than the largest Synth file, tells a file that is
  // too long.
  const auto readLimit =
      static_cast<uint32_t>(std::min(fileSize, static_cast<int64_t>(kLargestSynthFile)) + 1);
  auto* file = static_cast<uint8_t*>(std::malloc(readLimit));
  if (file == nullptr) return Fail(failure, kSamplesNoMemory, ENOMEM);
  errno = 0;
  const int32_t size = platform::ReadFile(handle, file, readLimit);
  SynthBlock blocks[kRowCount];
  std::string problem;
  int32_t result = -1;
  if (size < 0) {
    Fail(failure, kSamplesNotRead, errno);
  } else if (DecodeSynthFile(file, static_cast<size_t>(size), blocks, &problem) != 0) {
    Fail(failure, kSamplesMalformed, 0, "it is not a well-formed Synth file: " + problem);
  } else {
    result = static_cast<int32_t>(std::min(byteCount, blocks[row].length));
    if (result > 0) std::memcpy(region, file + blocks[row].offset, static_cast<size_t>(result));
  }
  std::free(file);
  return result;
}

int32_t ReadOpenFile(int handle, const char* path, int row, uint8_t* region, uint32_t byteCount,
                     SampleReadFailure* failure, SampleSource& source) {
  if (HasExtension(path, kSynthFileExtension)) {
    source.kind = kSynthFileSource;
    return ReadSynthBlock(handle, source.fileBytes, row, region, byteCount, failure);
  }
  if (!HasExtension(path, kSampleFileExtension)) {
    uint32_t written = 0;
    std::string problem;
    switch (ReadSoundSamples(handle, region, byteCount, &written, &problem, &source.sound)) {
      case kSoundFileRead:
        source.kind = kSoundFileSource;
        return static_cast<int32_t>(written);
      case kSoundFileMalformed:
        return Fail(failure, kSamplesMalformed, 0, problem);
      case kSoundFileNotRead:
        return Fail(failure, kSamplesNotRead, errno);
      case kNotASoundFile:
        errno = 0;
        // Looking for a sound file's header moved the position.
        if (platform::SeekFile(handle, 0, platform::kFromStart) != 0) {
          return Fail(failure, kSamplesNotRead, errno);
        }
        break;
    }
  }
  return ReadSampleFile(handle, region, byteCount, failure);
}

}  // namespace

int32_t ReadRowSamples(const char* path, int row, void* region, uint32_t byteCount,
                       SampleReadFailure* failure, SampleSource* source) {
  if (row < 0 || row >= kRowCount) {
    return Fail(failure, kSamplesMalformed, 0, "there is no row " + std::to_string(row));
  }
  errno = 0;
  const int handle = platform::OpenFileForReading(path);
  if (handle < 0) return Fail(failure, kSamplesNotOpened, errno);
  platform::FileStamp stamp;
  int32_t result = -1;
  SampleSource found{kSampleFileSource, 0, {}};
  if (platform::StampFile(handle, &stamp) != 0) {
    Fail(failure, kSamplesNotRead, errno);
  } else {
    found.fileBytes = stamp.size;
    result =
        ReadOpenFile(handle, path, row, static_cast<uint8_t*>(region), byteCount, failure, found);
  }
  if (source != nullptr) *source = found;
  // A file rewritten meanwhile may have given a mix of its old and new bytes.
  if (result >= 0 && !FileUnchangedSince(handle, stamp)) result = Fail(failure, kSamplesChanged, 0);
  platform::CloseFile(handle);
  return result;
}

bool IsSynthFileName(const char* path) { return HasExtension(path, kSynthFileExtension); }
