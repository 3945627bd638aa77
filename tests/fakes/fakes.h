// Scripted stand-ins for the platform seam. Each fake logs what the program asked of it
// in one shared log, so that a test states a whole exchange as one list of lines; any
// call can be made to fail, and tests script the user's answers.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32_values.h"

namespace fake {

// Every seam call in order, one line each: its name and arguments, e.g.
// "CreateSoundBuffer 36 1 0 0 -", "RunModalDialog 104 101", "WriteFile 4".
std::vector<std::string>& Log();
std::vector<std::string> LogOf(const std::string& prefix);  // the lines that start so

// Makes the n-th call (counted from 1 after Reset) of the named function fail. A failed
// WriteFile writes half of its bytes first, as on a full disk; a failed CloseFile still
// closes; a failed StampFile sees the file one byte longer, as if another program
// wrote to it.
void FailCall(const std::string& name, int occurrence = 1);

// Logs the call; true when the test made it fail.
bool Failing(const std::string& name);
template <typename... Arguments>
bool Call(const std::string& name, const Arguments&... arguments) {
  std::ostringstream line;
  line << name;
  ((line << ' ' << arguments), ...);
  Log().push_back(line.str());
  return Failing(name);
}

// Forgets the log, the failures, the scripts and the answers.
void Reset();
int OnReset(void (*clear)());  // for the fakes: what Reset clears of a seam; returns 0

// ---- Dialogs and choosers --------------------------------------------------------

struct Window {
  int templateId;
  platform::DialogProcedure procedure;
  std::map<int, std::string> texts;           // control texts the program set
  std::map<int, std::string> descriptions;    // and what it told screen readers of them
  std::map<int, bool> checked;                // check boxes
  std::map<int, std::vector<int16_t>> waves;  // pictures' samples
  std::optional<platform::DialogResult> endResult;
};

// What the user does in the next dialog of the template once it has had WM_INITDIALOG;
// it must end the dialog. Unscripted, Sound Preview and Channel Properties press OK.
void Script(int templateId, std::function<void(Window&)> script);
platform::DialogResult Send(Window& window, unsigned message, uintptr_t wParam = 0,
                            intptr_t lParam = 0);
platform::DialogResult Click(Window& window, int controlId);

// The user's answer to the next chooser: a path, or nullopt for Cancel. A path too long
// for the buffer fails the chooser and leaves the buffer as it was. A chooser with a pane
// runs the pane's script (Script with its template id) before it answers.
void Choose(std::optional<std::string> path);
// Selects the file in the chooser of the pane, which is notified.
void Select(Window& pane, const std::string& path);

// ---- Audio -----------------------------------------------------------------------

int LiveAudioObjects();
const std::vector<std::vector<uint8_t>>& PlayedSounds();  // the buffer at each Play

}  // namespace fake
