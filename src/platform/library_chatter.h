// Qt, OpenAL Soft and the sound system under it write notes and warnings of their own to
// stderr (a missing XDG_RUNTIME_DIR, each ALSA device they probe). They are for whoever
// debugs the program: the user sees them only after setting BRIVOLA_VERBOSE=1.
#pragma once

#include <cstdlib>
#include <cstring>

namespace platform {

inline bool LibraryChatterWanted() {
  const char* value = std::getenv("BRIVOLA_VERBOSE");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

}  // namespace platform
