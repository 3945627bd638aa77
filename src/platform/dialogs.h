// Modal dialogs, built from the dialog templates and run by the platform's dialog manager.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32_values.h"

namespace platform {

// Runs the dialog of the template with this id, owned by the owner window (or none):
// the owner takes no input while it runs; the procedure gets WM_INITDIALOG first, then
// WM_COMMAND for clicks (Escape is command 2, Enter the default button) and WM_CLOSE
// for the close box. Returns the result given to EndModalDialog, or -1 when the
// dialog could not be created.
DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t parameter);

// Ends the running dialog with this result; its RunModalDialog returns once the
// procedure has answered the current message. Non-zero on success.
int EndModalDialog(WindowHandle dialog, DialogResult result);

// Replaces the text of a control of a dialog. Non-zero on success.
int SetControlText(WindowHandle dialog, int controlId, const char* text);

// What WM_DROPFILES carries in lParam when files are dropped on a dialog: where, in
// dialog units from its client area's top-left corner, and the files' paths as the file
// system names them (empty for what is not a local file).
struct DroppedFiles {
  int x;
  int y;
  int count;
  const char* const* paths;
};

// Checks or clears a check box. Non-zero on success.
int CheckControl(WindowHandle dialog, int controlId, bool checked);
// Whether a check box is checked.
bool IsControlChecked(WindowHandle dialog, int controlId);

// Shows the samples (16-bit, 44,100 Hz mono) in an owner-drawn picture control, each
// pixel column from the lowest to the highest value of the samples it stands for; none
// leaves it empty. The samples are copied. Non-zero on success.
int SetControlWave(WindowHandle dialog, int controlId, const int16_t* samples, size_t count);

// The control id that stands for the dialog itself in SetControlDescription.
constexpr int kDialogItself = 0;

// Says what a control (or the dialog itself) holds, for screen readers and as the
// control's tooltip, where the backend can show them; the text is UTF-8, and bytes
// that are not are shown replaced. Non-zero when it is shown.
int SetControlDescription(WindowHandle dialog, int controlId, const char* text);

// A modal message box owned by the owner window; returns the id of the button pressed.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style);

}  // namespace platform
