// Scripted stand-ins for the platform seam, for the unit tests. Each fake records what
// the program asked of it; tests script the user's answers and inject failures.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/choosers.h"
#include "platform/win32_values.h"

namespace fake {

// ---- Dialogs -------------------------------------------------------------------

struct Window {
  int templateId;
  Window* owner;
  platform::DialogProcedure procedure;
  std::map<int, std::string> texts;  // control texts set by the program
  bool running = true;
  std::optional<platform::DialogResult> endResult;
};

// What the user does in a dialog after it has received WM_INITDIALOG. The dialog must
// be ended by the time the script returns.
using DialogScript = std::function<void(Window& window)>;

// Queues the script for the next dialog of this template. Without a queued script the
// Sound Preview presses OK and Channel Properties presses OK.
void Script(int templateId, DialogScript script);

// Sends a message to the window's procedure, as the dialog manager would.
platform::DialogResult Send(Window& window, unsigned message, uintptr_t wParam = 0,
                            intptr_t lParam = 0);
platform::DialogResult Click(Window& window, int controlId);
// The close box: WM_CLOSE, and the cancel command when the procedure leaves it unhandled.
void PressCloseBox(Window& window);
// Escape: the cancel command.
void PressEscape(Window& window);

// Every dialog run since the last Reset, in the order they opened.
const std::vector<Window*>& Dialogs();
// The texts a window's control shows: the template's text unless the program set one.
std::string ControlText(const Window& window, int controlId);

struct MessageBoxRecord {
  Window* owner;
  std::string text;
  std::string caption;
  unsigned style;
};
const std::vector<MessageBoxRecord>& MessageBoxes();

// ---- Choosers ------------------------------------------------------------------

struct ChooserRecord {
  platform::OpenFileRequest request;  // as passed; pointers valid during the call only
  Window* owner;
  std::vector<std::string> filter;  // names and patterns, in order
  std::string initialFile;  // the buffer's content when the chooser opened
  std::string title;
  std::string defaultExtension;
};

// Queues the user's answer to the next chooser: a path, or nullopt for Cancel. A path
// that does not fit the buffer fails the chooser, which leaves the buffer as it was.
void Choose(std::optional<std::string> path);
const std::vector<ChooserRecord>& Choosers();

// ---- Audio ---------------------------------------------------------------------

// The audio calls in order, by name: "CreateAudioDevice", "SetCooperativeLevel",
// "CreateSoundBuffer", "SetBufferFormat", "LockBuffer", "UnlockBuffer", "PlayBuffer",
// "StopBuffer", "ReleaseBuffer", "ReleaseDevice".
const std::vector<std::string>& AudioCalls();
// Makes the n-th call (counted from 1 after Reset) of this name fail with a negative
// status.
void FailAudioCall(const std::string& name, int occurrence = 1);
// Device and buffers created and not yet released.
int LiveAudioObjects();

struct PlayedSound {
  std::vector<uint8_t> bytes;  // the buffer's content when Play was called
  uint32_t flags;
};
const std::vector<PlayedSound>& PlayedSounds();

struct CreatedBuffer {
  platform::BufferDescription description;
  std::optional<platform::WaveFormat> format;  // copy of *description.format
};
const std::vector<CreatedBuffer>& CreatedBuffers();
const std::vector<platform::WaveFormat>& FormatsSet();
const std::vector<uint32_t>& CooperativeLevels();

// ---- Files ---------------------------------------------------------------------

enum class FileCall {
  OpenForReading,
  OpenReplacement,
  Read,
  Write,
  Flush,
  Close,
  Rename,
  Remove,
  Stamp
};

// Makes the n-th call (counted from 1 after Reset) of this kind fail. A failed close
// still closes the descriptor.
void FailFileCall(FileCall call, int occurrence);
int FileCallCount(FileCall call);

// ---- All -----------------------------------------------------------------------

// Each forgets its seam's records, scripts and injected failures.
void ResetDialogs();
void ResetChoosers();
void ResetAudio();
void ResetFiles();

inline void Reset() {
  ResetDialogs();
  ResetChoosers();
  ResetAudio();
  ResetFiles();
}

}  // namespace fake
