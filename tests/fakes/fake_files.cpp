// The real POSIX file calls; those that open, read, write, stamp and rename files are
// logged, and fail on request.
#include <cerrno>

#include "fakes.h"
#include "platform/files.h"
#include "platform/posix/posix_files.h"

namespace platform {

using fake::Call;

int OpenFileForReading(const char* path) {
  return Call("OpenFileForReading", path) ? -1 : posix::OpenFileForReading(path);
}

int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity) {
  return Call("OpenReplacementFile", target)
             ? -1
             : posix::OpenReplacementFile(target, temporaryPath, capacity);
}

int32_t ReadFile(int handle, void* bytes, uint32_t count) {
  return Call("ReadFile", count) ? -1 : posix::ReadFile(handle, bytes, count);
}

int64_t SeekFile(int handle, int64_t offset, SeekOrigin origin) {
  return posix::SeekFile(handle, offset, origin);
}

int32_t WriteFile(int handle, const void* bytes, uint32_t count) {
  if (!Call("WriteFile", count)) return posix::WriteFile(handle, bytes, count);
  posix::WriteFile(handle, bytes, count / 2);
  errno = ENOSPC;
  return -1;
}

int FlushFile(int handle) { return Call("FlushFile") ? -1 : posix::FlushFile(handle); }

int CloseFile(int handle) {
  const bool fails = Call("CloseFile");
  return posix::CloseFile(handle) != 0 || fails ? -1 : 0;
}

int RenameFile(const char* from, const char* to) {
  return Call("RenameFile", to) ? -1 : posix::RenameFile(from, to);
}

int StampFile(int handle, FileStamp* stamp) {
  const int result = posix::StampFile(handle, stamp);
  stamp->size += Call("StampFile");
  return result;
}

int RemoveFile(const char* path) { return posix::RemoveFile(path); }

FileKind KindOfFile(const char* path) { return posix::KindOfFile(path); }

int MakeAbsolutePath(const char* path, char* absolute, size_t capacity) {
  return posix::MakeAbsolutePath(path, absolute, capacity);
}

}  // namespace platform
