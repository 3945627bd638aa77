#include "platform/posix/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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

// A temporary name: the target's name, or as much of it as fits, then this.
constexpr char kTemporarySuffix[] = ".XXXXXX.tmp";
constexpr int kTemporarySuffixAfterRandom = 4;  // ".tmp"
constexpr long kUsualNameLimit = 255;

// The file a save onto this path replaces: through symbolic links, the file they lead
// to, so that a link stays a link; the path itself when nothing exists there yet. false,
// with errno set, when something is there that leads nowhere: a dangling link or a loop.
bool ResolveTarget(const char* target, std::string* replaced) {
  char resolved[PATH_MAX];
  if (realpath(target, resolved) != nullptr) {
    *replaced = resolved;
    return true;
  }
  const int reason = errno;
  struct stat status;
  if (lstat(target, &status) == 0) {
    errno = reason;
    return false;
  }
  *replaced = target;
  return errno == ENOENT;
}

// The folder part of a path, with its final '/', or "" for a bare name.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The target's name, cut short to leave room for the suffix within the folder's name
// limit (never inside a UTF-8 character), then the suffix.
std::string TemporaryPattern(const std::string& replaced) {
  const std::string folder = FolderOf(replaced);
  std::string name = replaced.substr(folder.size());
  long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  if (limit <= 0) limit = kUsualNameLimit;
  const size_t room = static_cast<size_t>(limit) - (sizeof kTemporarySuffix - 1);
  if (name.size() > room) {
    size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return folder + name + kTemporarySuffix;
}

// Makes a rename in the path's folder last: the folder itself is flushed.
bool FlushFolder(const std::string& path) {
  const std::string folder = FolderOf(path);
  const int handle =
      open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return false;
  const bool flushed = fsync(handle) == 0;
  close(handle);
  return flushed;
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
  std::string replaced;
  if (!ResolveTarget(target, &replaced)) return -1;
  struct stat targetStatus;
  const bool targetExists = stat(replaced.c_str(), &targetStatus) == 0;
  // Only a regular file is replaced. One the user could not write, or one marked
  // read-only for everyone, is refused: renaming over it would bypass that protection.
  if (targetExists && !S_ISREG(targetStatus.st_mode)) return -1;
  if (targetExists && (access(replaced.c_str(), W_OK) != 0 || (targetStatus.st_mode & 0222) == 0)) {
    errno = EACCES;
    return -1;
  }
  const std::string pattern = TemporaryPattern(replaced);
  if (pattern.size() >= capacity) {
    errno = ENAMETOOLONG;
    return -1;
  }
  pattern.copy(temporaryPath, pattern.size());
  temporaryPath[pattern.size()] = '\0';
  const int handle = mkostemps(temporaryPath, kTemporarySuffixAfterRandom, O_CLOEXEC);
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

int64_t SeekFile(int handle, int64_t offset, platform::SeekOrigin origin) {
  return lseek(handle, static_cast<off_t>(offset), origin);
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
  std::string replaced;
  if (!ResolveTarget(to, &replaced) || rename(from, replaced.c_str()) != 0) return -1;
  return FlushFolder(replaced) ? 0 : -1;
}

int StampFile(int handle, platform::FileStamp* stamp) {
  constexpr int64_t kNanosecondsPerSecond = 1000000000;
  struct stat status;
  if (fstat(handle, &status) != 0) return -1;
  stamp->size = status.st_size;
  stamp->modified = status.st_mtim.tv_sec * kNanosecondsPerSecond + status.st_mtim.tv_nsec;
  return 0;
}

void ReserveStandardDescriptors() {
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) < 0 && errno == EBADF) {
      // open takes the lowest free descriptor: this one. Read-only, so that writing to
      // a standard output that was closed still fails, as it would have.
      open("/dev/null", O_RDONLY);
    }
  }
}

int RemoveFile(const char* path) { return unlink(path) == 0 ? 0 : -1; }

platform::FileKind KindOfFile(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0) return platform::kNoFile;
  if (S_ISREG(status.st_mode)) return platform::kRegularFile;
  return S_ISDIR(status.st_mode) ? platform::kFolder : platform::kOtherFile;
}

int MakeAbsolutePath(const char* path, char* absolute, size_t capacity) {
  std::string made = path;
  if (path[0] != '/') {
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof folder) == nullptr) return -1;
    made = std::string(folder) + "/" + path;
  }
  if (made.size() >= capacity) return -1;
  made.copy(absolute, made.size());
  absolute[made.size()] = '\0';
  return 0;
}

}  // namespace posix
