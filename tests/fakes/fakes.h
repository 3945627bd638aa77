// Scripted stand-ins for the platform seam. Each fake records what the program asked of
// it in one shared log, so a test states a whole exchange as one list of lines; tests
// script the user's answers and inject failures.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_values.h"

namespace fake {

// Every seam call in order, one line each, e.g. "CreateSoundBuffer 36 1 0 -",
// "RunModalDialog 104 owner 101", "MessageBox 101 Could Not Save File.|Error|64".
std::vector<std::string>& Log();
// The log lines that start with the prefix.
std::vector<std::string> LogOf(const std::string& prefix);

// ---- Dialogs and choosers --------------------------------------------------------

struct Window {
  int templateId;
  Window* owner;
  platform::DialogProcedure procedure;
  std::map<int, std::string> texts;  // control texts set by the program
  std::optional<platform::DialogResult> endResult;
};

// What the user does in a dialog once it has had WM_INITDIALOG; it must end the dialog.
using DialogScript = std::function<void(Window& window)>;

// Queues the script for the next dialog of this template. Unscripted, Sound Preview and
// Channel Properties press their OK.
void Script(int templateId, DialogScript script);
platform::DialogResult Send(Window& window, unsigned message, uintptr_t wParam = 0);
platform::DialogResult Click(Window& window, int controlId);
// The text a control shows: the template's unless the program set one.
std::string ControlText(const Window& window, int controlId);

// The user's answer to the next chooser: a path, or nullopt for Cancel. A path too long
// for the buffer fails the chooser and leaves the buffer as it was.
void Choose(std::optional<std::string> path);

// ---- Audio -----------------------------------------------------------------------

// Makes the n-th call (from 1 after Reset) of the named audio function fail.
void FailAudioCall(const std::string& name, int occurrence = 1);
int LiveAudioObjects();
// The sound buffer's bytes at each Play.
const std::vector<std::vector<uint8_t>>& PlayedSounds();

// ---- Files -----------------------------------------------------------------------

enum class FileCall { OpenForReading, OpenReplacement, Read, Write, Flush, Close, Rename, Remove };

// Makes the n-th call (from 1 after Reset) of this kind fail; a failed write writes
// half of its bytes first, as on a full disk, and a failed close still closes.
void FailFileCall(FileCall call, int occurrence);

// Forgets the log, the scripts, the answers and the injected failures.
void Reset();
// For the fakes themselves: adds what Reset clears of a seam; returns 0.
int OnReset(void (*clear)());

}  // namespace fake
