// The POSIX implementation of the file seam, under its own names so that a test build
// can put fault injection in front of it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files.h"

namespace posix {

int OpenFileForReading(const char* path);
int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity);
int32_t ReadFile(int handle, void* bytes, uint32_t count);
int64_t SeekFile(int handle, int64_t offset, platform::SeekOrigin origin);
int32_t WriteFile(int handle, const void* bytes, uint32_t count);
int FlushFile(int handle);
int CloseFile(int handle);
int RenameFile(const char* from, const char* to);
int StampFile(int handle, platform::FileStamp* stamp);
int RemoveFile(const char* path);
int MakeAbsolutePath(const char* path, char* absolute, size_t capacity);
platform::FileKind KindOfFile(const char* path);

// Opens /dev/null for reading on each of descriptors 0-2 that is closed, so that no file
// opened later takes one of them: what is meant for the terminal would land in that file.
void ReserveStandardDescriptors();

}  // namespace posix
