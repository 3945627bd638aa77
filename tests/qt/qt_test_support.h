// Helpers of the Qt backend's tests: the user's hands (real mouse and key events through
// the windows, so modality applies as it does to a user), windows found by title, and a
// dialog procedure that records what the dialog manager sends.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/win32_values.h"
#include "resources/dialog_templates.h"

class QFileDialog;

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// Runs the action from the event loop, that is once the dialog about to run is up.
void WhenUp(std::function<void()> action);

// The caption of a dialog template.
QString Caption(int templateId);

// The shown window with this title; stops the tests when none comes up.
QWidget* ShownWindow(const QString& title);
bool IsShown(const QString& title);

// A dialog's controls in the order it holds them, and one of them by id.
std::vector<QWidget*> Controls(QWidget* dialog);
QWidget* Control(QWidget* dialog, int controlId);
int ControlId(const QWidget* control);

// A mouse click in the middle of the control, through its window.
void Click(QWidget* control);
// A key on the window, which Qt gives to the focused control.
void Press(QWidget* window, Qt::Key key);
// The window manager's close box.
void PressCloseBox(QWidget* window);

// In the file chooser that is up: the name typed into its name field, then Enter.
// ChooseName first waits until the chooser would take the name (its folder read).
void EnterName(QFileDialog* chooser, const QString& name);
void ChooseName(QFileDialog* chooser, const QString& name);
QFileDialog* ShownChooser();

// What a dialog procedure was sent.
struct Message {
  platform::WindowHandle window;
  unsigned message;
  uintptr_t wParam;
  intptr_t lParam;
};

// The state behind RecordingProcedure.
struct Recorder {
  std::vector<Message> messages;
  platform::DialogResult initAnswer = platform::kTrue;
  // Called for every message but WM_INITDIALOG; its answer is the procedure's (kTrue
  // when not set).
  std::function<platform::DialogResult(const Message&)> react;
};
extern Recorder recorder;
void ResetRecorder();

platform::DialogResult PLATFORM_CALLBACK RecordingProcedure(platform::WindowHandle window,
                                                            unsigned message, uintptr_t wParam,
                                                            intptr_t lParam);

// The WM_COMMAND ids the window was sent, in order.
std::vector<int> CommandsTo(platform::WindowHandle window);
// The handle of the dialog that got the n-th WM_INITDIALOG (0 for the first).
platform::WindowHandle InitialisedDialog(size_t n);

// The window that the backend builds for a handle it gave a procedure.
QWidget* WindowOf(platform::WindowHandle window);
