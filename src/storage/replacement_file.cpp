#include "storage/replacement_file.h"

#include <cerrno>
#include <csignal>

namespace {

// The temporary paths of the open replacements, for a signal handler to remove.
const char* volatile openTemporaries[kMostOpenReplacements];

bool Register(const char* temporaryPath) {
  for (const char* volatile& slot : openTemporaries) {
    if (slot == nullptr) {
      slot = temporaryPath;
      return true;
    }
  }
  return false;
}

void Unregister(const char* temporaryPath) {
  for (const char* volatile& slot : openTemporaries) {
    if (slot == temporaryPath) slot = nullptr;
  }
}

void RemoveTemporariesAndStop(int signalNumber) {
  for (const char* volatile& slot : openTemporaries) {
    const char* path = slot;
    if (path != nullptr && path[0] != '\0') platform::RemoveFile(path);
  }
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

// Flushes and closes the temporary file; on failure removes it.
bool CompleteReplacement(ReplacementFile& file) {
  bool written = !file.failed && platform::FlushFile(file.handle) == 0;
  written = platform::CloseFile(file.handle) == 0 && written;
  file.handle = -1;
  if (!written) {
    platform::RemoveFile(file.temporaryPath);
    Unregister(file.temporaryPath);
  }
  return written;
}

// Moves the completed temporary file onto the target.
bool CommitReplacement(ReplacementFile& file) {
  const bool moved = platform::RenameFile(file.temporaryPath, file.target) == 0;
  // A folder flush that fails after the move leaves no temporary file: removing is harmless.
  if (!moved) platform::RemoveFile(file.temporaryPath);
  Unregister(file.temporaryPath);
  return moved;
}

void DiscardCompleted(ReplacementFile& file) {
  platform::RemoveFile(file.temporaryPath);
  Unregister(file.temporaryPath);
}

}  // namespace

bool BeginReplacement(ReplacementFile& file, const char* target) {
  file.target = target;
  file.failed = false;
  file.handle = -1;
  file.temporaryPath[0] = '\0';
  // Registered before the file exists, so that no signal can come in between.
  if (!Register(file.temporaryPath)) return false;
  file.handle =
      platform::OpenReplacementFile(target, file.temporaryPath, sizeof file.temporaryPath);
  if (file.handle < 0) Unregister(file.temporaryPath);
  return file.handle >= 0;
}

bool AppendToReplacement(ReplacementFile& file, const void* bytes, uint32_t count) {
  if (!file.failed &&
      platform::WriteFile(file.handle, bytes, count) != static_cast<int32_t>(count)) {
    file.failed = true;
  }
  return !file.failed;
}

bool FinishReplacement(ReplacementFile& file) {
  return CompleteReplacement(file) && CommitReplacement(file);
}

void AbandonReplacement(ReplacementFile& file) {
  platform::CloseFile(file.handle);
  file.handle = -1;
  DiscardCompleted(file);
}

bool WriteFilesTogether(FileToWrite* files, int count) {
  if (count > kMostOpenReplacements) return false;
  ReplacementFile replacements[kMostOpenReplacements];
  bool allComplete = true;
  for (int i = 0; i < count; ++i) {
    errno = 0;
    files[i].failed = !BeginReplacement(replacements[i], files[i].path);
    if (!files[i].failed) {
      AppendToReplacement(replacements[i], files[i].bytes, files[i].count);
      files[i].failed = !CompleteReplacement(replacements[i]);
    }
    files[i].error = files[i].failed ? errno : 0;
    allComplete = allComplete && !files[i].failed;
  }
  bool allMoved = allComplete;
  for (int i = 0; i < count; ++i) {
    if (files[i].failed) continue;
    if (allComplete) {
      errno = 0;
      files[i].failed = !CommitReplacement(replacements[i]);
      files[i].error = files[i].failed ? errno : 0;
      allMoved = allMoved && !files[i].failed;
    } else {
      DiscardCompleted(replacements[i]);
    }
  }
  return allMoved;
}

void RemoveTemporariesOnInterrupt() {
#ifdef SIGHUP
  const int signalNumbers[] = {SIGINT, SIGTERM, SIGHUP};
#else
  const int signalNumbers[] = {SIGINT, SIGTERM};
#endif
  for (int signalNumber : signalNumbers) {
    // A signal ignored from the start, as under nohup, stays ignored.
    if (std::signal(signalNumber, RemoveTemporariesAndStop) == SIG_IGN) {
      std::signal(signalNumber, SIG_IGN);
    }
  }
}

bool FileUnchangedSince(int handle, const platform::FileStamp& before) {
  platform::FileStamp now;
  return platform::StampFile(handle, &now) == 0 && now.size == before.size &&
         now.modified == before.modified;
}
