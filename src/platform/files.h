// The runtime's file calls, in binary mode. A handle is valid when 0 or greater.
// Only regular files are read or replaced: a directory, FIFO or device fails at once,
// and no call blocks waiting for a writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Room for a temporary file's path: beside the target, which may lie behind links.
constexpr size_t kTemporaryPathCapacity = 4096;

// Opens an existing regular file for reading, sharing it with other openers.
// Returns a handle, or -1.
int OpenFileForReading(const char* path);

// Creates a new, empty file in the target's folder that will later replace the
// target: it carries the permissions of the existing target, or those of a newly
// created file. Its name is the target's, or as much of it as fits, then a random part
// and ".tmp"; its path is written to temporaryPath. Returns a handle, or -1, also when
// the target exists and is not a regular file the user may write, or is a link that
// leads nowhere or into a loop. A target behind a live link is the file it leads to.
int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity);

// Reads up to count bytes from the current position; returns the count read
// (short only at the end of the file), or -1 on an error.
int32_t ReadFile(int handle, void* bytes, uint32_t count);

// Where SeekFile counts from, with the values of SEEK_SET, SEEK_CUR and SEEK_END.
enum SeekOrigin : int { kFromStart = 0, kFromPosition = 1, kFromEnd = 2 };

// Moves the position offset bytes from the origin; returns the new position, counted
// from the start, or -1, also for a pipe, which has no position.
int64_t SeekFile(int handle, int64_t offset, SeekOrigin origin);

// Writes count bytes; returns the count written, or -1 on an error.
int32_t WriteFile(int handle, const void* bytes, uint32_t count);

// Forces what was written to the disk. 0 on success, -1 on failure.
int FlushFile(int handle);

// 0 on success, -1 on failure.
int CloseFile(int handle);

// Moves from onto to in one step, replacing the file to names, and makes the move last
// through a power cut. 0 on success, -1 on failure.
int RenameFile(const char* from, const char* to);

// What tells one version of an open file from another.
struct FileStamp {
  int64_t size;
  int64_t modified;  // the modification time, in the platform's finest unit
};

// 0 on success, -1 on failure.
int StampFile(int handle, FileStamp* stamp);

// Writes the path, made absolute from the current folder when it is relative, to
// absolute. 0 on success; -1 when it does not fit the capacity, NUL included.
int MakeAbsolutePath(const char* path, char* absolute, size_t capacity);

// 0 on success, -1 on failure.
int RemoveFile(const char* path);

// What a path names, found without opening it (a link, what it leads to).
enum FileKind : int { kNoFile, kRegularFile, kFolder, kOtherFile /* a FIFO, a device, ... */ };
FileKind KindOfFile(const char* path);

}  // namespace platform
