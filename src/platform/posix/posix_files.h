// The POSIX implementation of the file seam, under its own names so that a test build
// can put fault injection in front of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace posix {

int OpenFileForReading(const char* path);
int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity);
int32_t ReadFile(int handle, void* bytes, uint32_t count);
int32_t WriteFile(int handle, const void* bytes, uint32_t count);
int FlushFile(int handle);
int CloseFile(int handle);
int RenameFile(const char* from, const char* to);
int RemoveFile(const char* path);

}  // namespace posix
