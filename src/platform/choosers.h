// The open-file chooser, used both to pick a sample file and to name a Synth file.
#pragma once

#include <cstdint>

#include "platform/win32_values.h"

namespace platform {

// The fields of the open-file record that the program sets; every other field of
// the platform's record is zero.
struct OpenFileRequest {
  uint32_t structSize;           // the record size the caller asks for
  WindowHandle owner;            // modal to this window, or none
  const char* filter;            // "name\0pattern\0" pairs, ended by an empty name
  uint32_t filterIndex;          // 1-based selected pair
  char* file;                    // in: the path to start with; out: the path chosen
  uint32_t maxFile;              // capacity of file, terminating NUL included
  const char* title;
  uint32_t flags;                // kOfn... values
  const char* defaultExtension;  // without the dot, added to a name that has none
};

// Runs the chooser modally. Non-zero when a file was chosen and fits in the buffer;
// zero on cancel or failure (a path too long for the buffer included).
int RunOpenFileChooser(OpenFileRequest& request);

}  // namespace platform
