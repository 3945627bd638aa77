// The Qt backend on Qt's offscreen platform, driven with real input events: windows built
// from the templates in dialog units, the dialog manager's messages, the message box and
// the file chooser.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/choosers.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_windows.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace {

using namespace platform;

// The procedure's log, "message id" per line, and the user's part while it runs.
std::vector<std::string> received;
std::function<void(WindowHandle)> whileUp;
DialogResult closeAnswer = kFalse;

DialogResult PLATFORM_CALLBACK Recording(WindowHandle window, unsigned message, uintptr_t wParam,
                                         intptr_t) {
  received.push_back(std::to_string(message) +
                     (message == kWmCommand ? " " + std::to_string(CommandId(wParam)) : ""));
  if (message == kWmInitDialog) {
    QTimer::singleShot(0, [window] { whileUp(window); });
    return kTrue;
  }
  return message == kWmClose ? closeAnswer : kTrue;
}

QWidget* ControlOf(QWidget* window, int id) {
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (child->property(qtbackend::kControlIdProperty).toInt() == id) return child;
  }
  return nullptr;
}

void Key(QWidget* window, Qt::Key key) { QTest::keyClick(window->windowHandle(), key); }

void Click(QWidget* control) {
  QTest::mouseClick(control->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                    control->mapTo(control->window(), control->rect().center()));
}

int MulDiv(int value, int numerator, int denominator) {
  return (value * numerator + denominator / 2) / denominator;
}

TEST(QtDialogs, BuildTheTemplateAndActAsTheDialogManager) {
  const resources::DialogTemplate& properties =
      *resources::FindDialogTemplate(IDD_CHANNEL_PROPERTIES);
  whileUp = [&](WindowHandle handle) {
    QWidget* window = qtbackend::DialogWidget(handle);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->windowTitle(), "Channel Properties");
    const QFontMetrics metrics(QFont("MS Sans Serif", 8));
    const int baseX =
        (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 +
         1) /
        2;
    const int baseY = metrics.height();
    EXPECT_EQ(window->size(), QSize(MulDiv(217, baseX, 4), MulDiv(46, baseY, 8)));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    for (int i = 0; i < properties.controlCount; ++i) {
      const resources::ControlTemplate& c = properties.controls[i];
      if (c.id < 0) continue;
      EXPECT_EQ(ControlOf(window, c.id)->geometry(),
                QRect(MulDiv(c.x, baseX, 4), MulDiv(c.y, baseY, 8), MulDiv(c.width, baseX, 4),
                      MulDiv(c.height, baseY, 8)))
          << c.id;
    }
    EXPECT_EQ(window->focusWidget(), ControlOf(window, kIdOk));  // TRUE from WM_INITDIALOG
    auto* field = qobject_cast<QLineEdit*>(ControlOf(window, IDC_PROPERTIES_FILE_NAME));
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(SetControlText(handle, IDC_PROPERTIES_FILE_NAME, "/a/\xC3\xBC.pcm"), 1);
    EXPECT_EQ(field->text(), QString::fromUtf8("/a/\xC3\xBC.pcm"));
    EXPECT_EQ(SetControlText(handle, 4242, "x"), 0);
    Key(window, Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), field);
    Key(window, Qt::Key_Tab);
    Key(window, Qt::Key_Return);  // the focused "..."
    Key(window, Qt::Key_Escape);
    Key(window, Qt::Key_Tab);
    Key(window, Qt::Key_Return);  // OK again
    Click(ControlOf(window, IDC_PROPERTIES_BROWSE));
    window->windowHandle()->close();  // the close box: WM_CLOSE, then cancel when unhandled
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(EndModalDialog(handle, 195), 1);
  };
  EXPECT_EQ(RunModalDialog(IDD_CHANNEL_PROPERTIES, nullptr, Recording, 0), 195);
  EXPECT_EQ(received, (std::vector<std::string>{"272", "273 1028", "273 2", "273 1", "273 1028",
                                                "16", "273 2"}));
  EXPECT_EQ(EndModalDialog(nullptr, 0), 0);
  EXPECT_EQ(RunModalDialog(102, nullptr, Recording, 0), -1);
}

TEST(QtDialogs, AnOwnedDialogBlocksItsOwnerAndEnterPressesTheDefault) {
  received.clear();
  closeAnswer = kTrue;
  whileUp = [](WindowHandle owner) {
    QWidget* ownerWindow = qtbackend::DialogWidget(owner);
    whileUp = [ownerWindow](WindowHandle preview) {
      QWidget* window = qtbackend::DialogWidget(preview);
      ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
      EXPECT_EQ(window->mapToGlobal(QPoint(0, 0)), ownerWindow->mapToGlobal(QPoint(0, 0)));
      Click(ControlOf(ownerWindow, IDC_PROPERTIES_BROWSE));  // blocked: nothing arrives
      window->setFocus();
      Key(window, Qt::Key_Return);
      EndModalDialog(preview, 3);
    };
    EXPECT_EQ(RunModalDialog(IDD_SOUND_PREVIEW, owner, Recording, 0), 3);
    QTimer::singleShot(0, [owner] {
      QWidget* box = QApplication::activeModalWidget();
      auto* message = qobject_cast<QMessageBox*>(box);
      ASSERT_NE(message, nullptr);
      EXPECT_EQ(message->windowTitle(), "Error");
      EXPECT_EQ(message->text(), "Could Not Save File.");
      EXPECT_EQ(message->icon(), QMessageBox::Information);
      EXPECT_EQ(message->buttons().size(), 1);
      Click(ControlOf(qtbackend::DialogWidget(owner), kIdOk));  // blocked too
      Key(box, Qt::Key_Escape);
    });
    EXPECT_EQ(ShowMessageBox(owner, "Could Not Save File.", "Error", kMbIconInformation), kIdOk);
    EndModalDialog(owner, 0);
  };
  RunModalDialog(IDD_CHANNEL_PROPERTIES, nullptr, Recording, 0);
  EXPECT_EQ(received, (std::vector<std::string>{"272", "272", "273 1029"}));
  closeAnswer = kFalse;
}

// Runs the chooser with the user's part; returns its result and the buffer.
std::pair<int, std::string> Choose(uint32_t flags, const std::string& start,
                                   std::function<void(QFileDialog*)> user) {
  char buffer[200] = {};
  start.copy(buffer, start.size());
  OpenFileRequest request{
      76,    nullptr, "PCM Wave Format\0*.pcm\0All Files\0*.*\0", 1, buffer, 200, "Open Wave...",
      flags, "pcm"};
  QTimer::singleShot(0, [user] {
    auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    user(chooser);
  });
  const int result = RunOpenFileChooser(request);
  return {result, buffer};
}

// Types the name and presses Enter; a name the chooser refuses brings a message.
void Type(QFileDialog* chooser, const QString& name, bool refused = false) {
  auto* field = chooser->findChild<QLineEdit*>("fileNameEdit");
  field->setFocus();
  field->setText(name);
  static bool messaged;
  messaged = false;
  QTimer answer;
  answer.callOnTimeout([] {
    if (auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      messaged = true;
      Key(message, Qt::Key_Return);
    }
  });
  answer.start(10);
  Key(chooser, Qt::Key_Return);
  EXPECT_EQ(messaged, refused);
  EXPECT_EQ(chooser->isVisible(), refused);
}

TEST(QtChooser, OpensAsAskedAndReturnsThePathChosen) {
  QTemporaryDir folder;
  const std::string dir = QDir(folder.path()).canonicalPath().toStdString();
  QFile(QString::fromStdString(dir + "/take \xC3\xBC.pcm")).open(QIODevice::WriteOnly);
  auto chosen = Choose(0x1004, dir + "/", [&](QFileDialog* chooser) {
    EXPECT_EQ(chooser->windowTitle(), "Open Wave...");
    EXPECT_EQ(chooser->nameFilters(), QStringList({"PCM Wave Format (*.pcm)", "All Files (*)"}));
    EXPECT_EQ(chooser->findChild<QComboBox*>("fileTypeCombo")->currentText(), "PCM Wave Format");
    Type(chooser, "missing.pcm", true);  // must exist: a message, and the chooser stays
    Type(chooser, "take \xC3\xBC");      // the default extension completes the name
  });
  EXPECT_EQ(chosen, std::make_pair(1, dir + "/take \xC3\xBC.pcm"));
  chosen = Choose(4, dir + "/x", [](QFileDialog* chooser) { Type(chooser, "new"); });
  EXPECT_EQ(chosen, std::make_pair(1, dir + "/new.pcm"));
  chosen = Choose(4, dir + "/kept", [&](QFileDialog* chooser) {
    EXPECT_EQ(chooser->directory().path().toStdString(), dir);
    EXPECT_EQ(chooser->findChild<QLineEdit*>("fileNameEdit")->text(), "kept");
    Key(chooser, Qt::Key_Escape);
  });
  EXPECT_EQ(chosen, std::make_pair(0, dir + "/kept"));
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;  // the chooser's history stays out of the user's settings
  qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
