#include "platform/posix/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace posix {
namespace {

// The permissions a newly created file gets: rw for all, less the process's umask.
mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// The file a save onto this path replaces: through symbolic links, the file they lead
// to, so that a link stays a link; the path itself when nothing exists there yet.
std::string ReplacedFile(const char* target) {
  char resolved[PATH_MAX];
  return realpath(target, resolved) != nullptr ? resolved : target;
}

}  // namespace

int OpenFileForReading(const char* path) {
  // O_NONBLOCK: opening a FIFO with no writer must not wait; it is refused below.
  const int handle = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (handle < 0) return -1;
  struct stat status;
  if (fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(handle);
    return -1;
  }
  fcntl(handle, F_SETFL, fcntl(handle, F_GETFL) & ~O_NONBLOCK);
  return handle;
}

int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity) {
  const std::string replaced = ReplacedFile(target);
  struct stat targetStatus;
  const bool targetExists = stat(replaced.c_str(), &targetStatus) == 0;
  // Only a regular file is replaced. One the user could not write, or one marked
  // read-only for everyone, is refused: renaming over it would bypass that protection.
  if (targetExists && (!S_ISREG(targetStatus.st_mode) || access(replaced.c_str(), W_OK) != 0 ||
                       (targetStatus.st_mode & 0222) == 0)) {
    return -1;
  }
  const int written = std::snprintf(temporaryPath, capacity, "%s.XXXXXX", replaced.c_str());
  if (written < 0 || static_cast<size_t>(written) >= capacity) return -1;
  const int handle = mkostemp(temporaryPath, O_CLOEXEC);
  if (handle < 0) return -1;
  const mode_t mode = targetExists ? (targetStatus.st_mode & 07777) : NewFileMode();
  if (fchmod(handle, mode) != 0) {
    close(handle);
    unlink(temporaryPath);
    return -1;
  }
  return handle;
}

int32_t ReadFile(int handle, void* bytes, uint32_t count) {
  uint32_t total = 0;
  while (total < count) {
    const ssize_t got = read(handle, static_cast<char*>(bytes) + total, count - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<uint32_t>(got);
  }
  return static_cast<int32_t>(total);
}

int32_t WriteFile(int handle, const void* bytes, uint32_t count) {
  uint32_t total = 0;
  while (total < count) {
    const ssize_t put = write(handle, static_cast<const char*>(bytes) + total, count - total);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return -1;
    total += static_cast<uint32_t>(put);
  }
  return static_cast<int32_t>(total);
}

int FlushFile(int handle) { return fsync(handle) == 0 ? 0 : -1; }

int CloseFile(int handle) { return close(handle) == 0 ? 0 : -1; }

int RenameFile(const char* from, const char* to) {
  return rename(from, ReplacedFile(to).c_str()) == 0 ? 0 : -1;
}

int RemoveFile(const char* path) { return unlink(path) == 0 ? 0 : -1; }

}  // namespace posix
