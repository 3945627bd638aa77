// The open-file chooser, used both to pick a sample file and to name a Synth file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/win32_values.h"

namespace platform {

// The fields of the open-file record that the program sets; every other field of
// the platform's record is zero.
struct OpenFileRequest {
  uint32_t structSize;   // the record size the caller asks for
  WindowHandle owner;    // modal to this window, or none
  const char* filter;    // "name\0pattern\0" pairs, ended by an empty name
  uint32_t filterIndex;  // 1-based selected pair
  char* file;            // in: the path to start with; out: the path chosen
  uint32_t maxFile;      // capacity of file, terminating NUL included
  const char* title;
  uint32_t flags;                // kOfn... values
  const char* defaultExtension;  // without the dot, added to a name that has none
  // With kOfnEnableHook and kOfnEnableTemplate: a pane built from the template is shown
  // beside the chooser's own controls (placed where the template's kChooserControlsPlace
  // control stands), run by the hook as a dialog procedure. It gets WM_INITDIALOG,
  // WM_NOTIFY with kCdnSelChange whenever another file is selected or named, the
  // commands of its controls, and WM_DESTROY when the chooser closes. A selection is told
  // once the chooser has no other input waiting, so one passed over quickly is not.
  DialogProcedure hook;
  int templateId;
};

// What the user is told, in a message box owned by the chooser's owner, when the path
// chosen does not fit the buffer: the longest path that fits, in bytes.
constexpr char kPathTooLongCaption[] = "Path Too Long";
constexpr char kPathTooLongFormat[] =
    "This path is too long: at most %u bytes fit. Choose a shorter path.";

// That message's text for a path buffer of this capacity, terminating NUL included.
inline std::string PathTooLongText(uint32_t capacity) {
  char text[sizeof kPathTooLongFormat + 16];
  std::snprintf(text, sizeof text, kPathTooLongFormat, capacity - 1);
  return text;
}

// Copies the path of the file now selected or named in the chooser whose pane is this
// window into path, of capacity bytes. The length of that path, terminating NUL
// included (and then nothing is copied when it does not fit), or -1 when none.
int GetChooserSelection(WindowHandle pane, char* path, uint32_t capacity);

// Runs the chooser modally. Non-zero when a file was chosen; zero on cancel or failure.
// A path too long for the buffer is never returned: the user is told, the chooser
// opens again with that path, and the buffer keeps its content until a path fits.
int RunOpenFileChooser(OpenFileRequest& request);

}  // namespace platform
