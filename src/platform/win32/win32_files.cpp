// The file seam over the C runtime's low-level calls, in binary mode, with the
// Windows calls that replace a file in one step.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {

constexpr int kNewFilePermissions = _S_IREAD | _S_IWRITE;
constexpr int kTemporaryNameAttempts = 100;
// What the attributes say about the file itself rather than about its storage.
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Every open lets other openers read and write the file, keeps bytes as they are and
// is not inherited by child processes. Returns the handle, or -1 with the error.
int OpenShared(const char* path, int flags, int permissions, errno_t* error) {
  int handle = -1;
  *error = _sopen_s(&handle, path, flags | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, permissions);
  return *error == 0 ? handle : -1;
}

// A console, port, pipe or NUL would block a read or never end: only files on disk.
bool IsRegularDiskFile(int handle) {
  const auto osHandle = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
  struct _stat64 status;
  return GetFileType(osHandle) == FILE_TYPE_DISK && _fstat64(handle, &status) == 0 &&
         (status.st_mode & _S_IFMT) == _S_IFREG;
}

// Creates a new file with a name of its own beside the target. Returns the handle, or -1.
int CreateBeside(const char* target, char* temporaryPath, size_t capacity) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const int written = std::snprintf(temporaryPath, capacity, "%s.%lx-%d.tmp", target,
                                      GetCurrentProcessId(), attempt);
    if (written < 0 || static_cast<size_t>(written) >= capacity) return -1;
    errno_t error;
    const int handle =
        OpenShared(temporaryPath, _O_WRONLY | _O_CREAT | _O_EXCL, kNewFilePermissions, &error);
    if (handle >= 0 || error != EEXIST) return handle;
  }
  return -1;
}

}  // namespace

int OpenFileForReading(const char* path) {
  errno_t error;
  const int handle = OpenShared(path, _O_RDONLY, 0, &error);
  if (handle < 0) return -1;
  if (!IsRegularDiskFile(handle)) {
    _close(handle);
    return -1;
  }
  return handle;
}

int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity) {
  const DWORD targetAttributes = GetFileAttributesA(target);
  const bool targetExists = targetAttributes != INVALID_FILE_ATTRIBUTES;
  // Windows replaces no read-only file: refuse before anything is created, so the
  // target stays as it is.
  if (targetExists && (targetAttributes & FILE_ATTRIBUTE_READONLY) != 0) return -1;
  const int handle = CreateBeside(target, temporaryPath, capacity);
  if (handle < 0) return -1;
  if (targetExists && !SetFileAttributesA(temporaryPath, targetAttributes & kCarriedAttributes)) {
    _close(handle);
    _unlink(temporaryPath);
    return -1;
  }
  return handle;
}

int32_t ReadFile(int handle, void* bytes, uint32_t count) {
  uint32_t total = 0;
  while (total < count) {
    const int got = _read(handle, static_cast<char*>(bytes) + total, count - total);
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<uint32_t>(got);
  }
  return static_cast<int32_t>(total);
}

int64_t SeekFile(int handle, int64_t offset, SeekOrigin origin) {
  return _lseeki64(handle, offset, origin);
}

int32_t WriteFile(int handle, const void* bytes, uint32_t count) {
  uint32_t total = 0;
  while (total < count) {
    const int put = _write(handle, static_cast<const char*>(bytes) + total, count - total);
    if (put <= 0) return -1;
    total += static_cast<uint32_t>(put);
  }
  return static_cast<int32_t>(total);
}

int FlushFile(int handle) { return _commit(handle) == 0 ? 0 : -1; }

int CloseFile(int handle) { return _close(handle) == 0 ? 0 : -1; }

int RenameFile(const char* from, const char* to) {
  const DWORD moveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  // Replacing keeps the existing file's security settings; a new name is a plain move.
  if (GetFileAttributesA(to) != INVALID_FILE_ATTRIBUTES) {
    if (ReplaceFileA(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
      return 0;
    }
    // This failure has already removed the old file while the new one keeps its
    // temporary name: move it into place, or the caller would remove the only copy left.
    if (GetLastError() != ERROR_UNABLE_TO_MOVE_REPLACEMENT) return -1;
  }
  return MoveFileExA(from, to, moveFlags) ? 0 : -1;
}

int StampFile(int handle, FileStamp* stamp) {
  const auto osHandle = reinterpret_cast<HANDLE>(_get_osfhandle(handle));
  LARGE_INTEGER size;
  FILETIME modified;
  if (!GetFileSizeEx(osHandle, &size) || !GetFileTime(osHandle, nullptr, nullptr, &modified)) {
    return -1;
  }
  stamp->size = size.QuadPart;
  stamp->modified = (static_cast<int64_t>(modified.dwHighDateTime) << 32) | modified.dwLowDateTime;
  return 0;
}

int RemoveFile(const char* path) { return _unlink(path) == 0 ? 0 : -1; }

FileKind KindOfFile(const char* path) {
  // A device, as \\.\COM1, is no file on a disk.
  if (std::strncmp(path, "\\\\.\\", 4) == 0) return kOtherFile;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return kNoFile;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolder : kRegularFile;
}

int MakeAbsolutePath(const char* path, char* absolute, size_t capacity) {
  // The length written, without the NUL; the length needed, with it, when it does not fit.
  const DWORD length = GetFullPathNameA(path, static_cast<DWORD>(capacity), absolute, nullptr);
  return length == 0 || length >= capacity ? -1 : 0;
}

}  // namespace platform
