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
// when the target exists and is not a regular file the user may write.
bool BeginReplacement(ReplacementFile& file, const char* target);

// Appends bytes; false, and the replacement is spoilt, when they were not all written.
bool AppendToReplacement(ReplacementFile& file, const void* bytes, uint32_t count);

// Flushes and closes the temporary file and moves it onto the target. On any failure
// the temporary file is removed and false returned.
bool FinishReplacement(ReplacementFile& file);

// Closes and removes the temporary file; the target stays as it was.
void AbandonReplacement(ReplacementFile& file);
