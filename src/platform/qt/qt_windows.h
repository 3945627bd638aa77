// What the Qt dialogs, message box and chooser share: the widget behind a window
// handle, and running a Qt dialog modal to its owner.
#pragma once

#include "platform/win32_values.h"

class QDialog;
class QWidget;

namespace qtbackend {

// The dynamic property of a dialog's control that holds its id, as GetDlgCtrlID gives it.
constexpr char kControlIdProperty[] = "controlId";

// The window of a dialog that RunModalDialog is running, or null for any other handle.
QWidget* DialogWidget(platform::WindowHandle window);

// A pane of the template, run by the procedure inside the parent (a chooser): the
// procedure has had WM_INITDIALOG when it returns. Null when there is no such template.
// The pane is the parent's child, deleted with it; its handle is the widget.
QWidget* OpenPane(int templateId, platform::DialogProcedure procedure, QWidget* parent);
platform::DialogResult SendToPane(QWidget* pane, unsigned message, uintptr_t wParam,
                                  intptr_t lParam);

// Runs the dialog (created with the owner as its parent) in a nested loop; the owner
// and the windows it is modal to take no input meanwhile. Returns the dialog's result.
int RunOwnedDialog(QDialog& dialog, QWidget* owner);

}  // namespace qtbackend
