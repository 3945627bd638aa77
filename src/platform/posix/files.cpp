// The file seam on POSIX systems.
#include "platform/files.h"

#include "platform/posix/posix_files.h"

namespace platform {

int OpenFileForReading(const char* path) { return posix::OpenFileForReading(path); }
int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity) {
  return posix::OpenReplacementFile(target, temporaryPath, capacity);
}
int32_t ReadFile(int handle, void* bytes, uint32_t count) {
  return posix::ReadFile(handle, bytes, count);
}
int64_t SeekFile(int handle, int64_t offset, SeekOrigin origin) {
  return posix::SeekFile(handle, offset, origin);
}
int32_t WriteFile(int handle, const void* bytes, uint32_t count) {
  return posix::WriteFile(handle, bytes, count);
}
int FlushFile(int handle) { return posix::FlushFile(handle); }
int CloseFile(int handle) { return posix::CloseFile(handle); }
int RenameFile(const char* from, const char* to) { return posix::RenameFile(from, to); }
int StampFile(int handle, FileStamp* stamp) { return posix::StampFile(handle, stamp); }
int RemoveFile(const char* path) { return posix::RemoveFile(path); }
FileKind KindOfFile(const char* path) { return posix::KindOfFile(path); }
int MakeAbsolutePath(const char* path, char* absolute, size_t capacity) {
  return posix::MakeAbsolutePath(path, absolute, capacity);
}

}  // namespace platform
