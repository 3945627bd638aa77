#include "qt_test_support.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "platform/qt/qt_windows.h"

namespace {

constexpr int kWindowWaitMs = 5000;

QWidget* FindShown(const QString& title) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->windowTitle() == title) return window;
  }
  return nullptr;
}

}  // namespace

Recorder recorder;

void WhenUp(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

QString Caption(int templateId) {
  return QString::fromUtf8(resources::FindDialogTemplate(templateId)->caption);
}

QWidget* ShownWindow(const QString& title) {
  QWidget* window = nullptr;
  // A missing window would leave a nested dialog loop waiting for ever: stop at once.
  if (!QTest::qWaitFor([&] { return (window = FindShown(title)) != nullptr; }, kWindowWaitMs) ||
      !QTest::qWaitForWindowExposed(window)) {
    qFatal("no window titled \"%s\" came up", qPrintable(title));
  }
  return window;
}

bool IsShown(const QString& title) { return FindShown(title) != nullptr; }

std::vector<QWidget*> Controls(QWidget* dialog) {
  std::vector<QWidget*> controls;
  for (QWidget* child : dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (child->property(qtbackend::kControlIdProperty).isValid()) controls.push_back(child);
  }
  return controls;
}

QWidget* Control(QWidget* dialog, int controlId) {
  for (QWidget* control : Controls(dialog)) {
    if (ControlId(control) == controlId) return control;
  }
  qFatal("no control %d in \"%s\"", controlId, qPrintable(dialog->windowTitle()));
}

int ControlId(const QWidget* control) {
  return control->property(qtbackend::kControlIdProperty).toInt();
}

void Click(QWidget* control) {
  const QPoint inWindow = control->mapTo(control->window(), control->rect().center());
  QTest::mouseClick(control->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow);
}

void Press(QWidget* window, Qt::Key key) { QTest::keyClick(window->windowHandle(), key); }

void PressCloseBox(QWidget* window) { window->windowHandle()->close(); }

void EnterName(QFileDialog* chooser, const QString& name) {
  auto* field = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  field->setFocus();
  field->setText(name);
  Press(chooser, Qt::Key_Return);
}

void ChooseName(QFileDialog* chooser, const QString& name) {
  auto* field = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  field->setFocus();
  field->setText(name);
  QPushButton* open = chooser->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                          ->button(QDialogButtonBox::Open);
  if (!QTest::qWaitFor([open] { return open->isEnabled(); }, kWindowWaitMs)) {
    qFatal("the chooser does not take \"%s\"", qPrintable(name));
  }
  Press(chooser, Qt::Key_Return);
}

QFileDialog* ShownChooser() {
  QFileDialog* chooser = nullptr;
  if (!QTest::qWaitFor([&] {
        return (chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) !=
               nullptr;
      }, kWindowWaitMs) ||
      !QTest::qWaitForWindowActive(chooser)) {  // typing goes to the active window only
    qFatal("no file chooser came up");
  }
  return chooser;
}

void ResetRecorder() { recorder = Recorder(); }

platform::DialogResult PLATFORM_CALLBACK RecordingProcedure(platform::WindowHandle window,
                                                            unsigned message, uintptr_t wParam,
                                                            intptr_t lParam) {
  const Message sent{window, message, wParam, lParam};
  recorder.messages.push_back(sent);
  if (message == platform::kWmInitDialog) return recorder.initAnswer;
  return recorder.react ? recorder.react(sent) : platform::kTrue;
}

std::vector<int> CommandsTo(platform::WindowHandle window) {
  std::vector<int> ids;
  for (const Message& sent : recorder.messages) {
    if (sent.window == window && sent.message == platform::kWmCommand) {
      ids.push_back(platform::CommandId(sent.wParam));
    }
  }
  return ids;
}

platform::WindowHandle InitialisedDialog(size_t n) {
  for (const Message& sent : recorder.messages) {
    if (sent.message == platform::kWmInitDialog && n-- == 0) return sent.window;
  }
  return nullptr;
}

QWidget* WindowOf(platform::WindowHandle window) { return qtbackend::DialogWidget(window); }
