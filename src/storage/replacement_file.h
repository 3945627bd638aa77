// A file written in full beside its target and moved onto it in one step only once it
// is complete on disk, so that a failed write leaves whatever file was there untouched.
#pragma once

#include <cstdint>

#include "platform/files.h"

struct ReplacementFile {
  const char* target;
  int handle;   // valid while the replacement is open
  bool failed;  // a write fell short; Finish will refuse
  char temporaryPath[platform::kTemporaryPathCapacity];
};

// Creates the temporary file beside the target. false when it cannot be created, also
// when the target exists and is not a regular file the user may write, or is a link
// that leads nowhere.
bool BeginReplacement(ReplacementFile& file, const char* target);

// Appends bytes; false, and the replacement is spoilt, when they were not all written.
bool AppendToReplacement(ReplacementFile& file, const void* bytes, uint32_t count);

// Flushes and closes the temporary file and moves it onto the target. On any failure
// the temporary file is removed and false returned.
bool FinishReplacement(ReplacementFile& file);

// Closes and removes the temporary file; the target stays as it was.
void AbandonReplacement(ReplacementFile& file);

// One file of a set written all or nothing.
struct FileToWrite {
  const char* path;
  const uint8_t* bytes;
  uint32_t count;
  bool failed;  // set afterwards when this file could not be written or moved into place
  int error;    // and then errno as the failure left it
};

// The most replacements open at once, so the most files WriteFilesTogether takes.
constexpr int kMostOpenReplacements = 8;

// Writes every file beside its target and replaces the targets only once all of them
// are complete on disk: on a failure before that no target changes and no temporary
// file stays. Every file is tried, so that each one that cannot be written is flagged.
// true when all were replaced.
bool WriteFilesTogether(FileToWrite* files, int count);

// From now on SIGINT, SIGTERM and SIGHUP (those not ignored) remove the temporary files
// of the replacements still open, then end the process by the same signal.
void RemoveTemporariesOnInterrupt();

// Whether the open file is still as it was stamped: another program may be rewriting it.
bool FileUnchangedSince(int handle, const platform::FileStamp& before);
