#include "storage/replacement_file.h"

bool BeginReplacement(ReplacementFile& file, const char* target) {
  file.target = target;
  file.failed = false;
  file.handle =
      platform::OpenReplacementFile(target, file.temporaryPath, sizeof file.temporaryPath);
  return file.handle > 0;
}

bool AppendToReplacement(ReplacementFile& file, const void* bytes, uint32_t count) {
  if (!file.failed &&
      platform::WriteFile(file.handle, bytes, count) != static_cast<int32_t>(count)) {
    file.failed = true;
  }
  return !file.failed;
}

bool FinishReplacement(ReplacementFile& file) {
  bool written = !file.failed && platform::FlushFile(file.handle) == 0;
  written = platform::CloseFile(file.handle) == 0 && written;
  file.handle = 0;
  if (written && platform::RenameFile(file.temporaryPath, file.target) == 0) return true;
  platform::RemoveFile(file.temporaryPath);
  return false;
}

void AbandonReplacement(ReplacementFile& file) {
  platform::CloseFile(file.handle);
  file.handle = 0;
  platform::RemoveFile(file.temporaryPath);
}
