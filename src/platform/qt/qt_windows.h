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

// Runs the dialog (created with the owner as its parent) in a nested loop; the owner
// and the windows it is modal to take no input meanwhile. Returns the dialog's result.
int RunOwnedDialog(QDialog& dialog, QWidget* owner);

}  // namespace qtbackend
