// The dialog manager's part in what a user does: the messages that clicks, keys and the
// close box send, where the focus goes, how a dialog ends, and what an owner may do
// while a dialog, a message box or a chooser owned by it is up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/composer.h"
#include "platform/choosers.h"
#include "platform/dialogs.h"
#include "qt_test_support.h"
#include "resources/resource_ids.h"

namespace {

using platform::DialogResult;
using platform::kIdCancel;
using platform::kIdOk;
using platform::kWmClose;
using platform::kWmCommand;
using platform::kWmInitDialog;


std::vector<unsigned> MessagesTo(platform::WindowHandle window) {
  std::vector<unsigned> messages;
  for (const Message& sent : recorder.messages) {
    if (sent.window == window) messages.push_back(sent.message);
  }
  return messages;
}

// Runs Channel Properties with the recording procedure; the action gets its window.
DialogResult RunProperties(const std::function<void(QWidget*)>& action, intptr_t parameter = 0) {
  WhenUp([action] { action(ShownWindow(Caption(IDD_CHANNEL_PROPERTIES))); });
  return platform::RunModalDialog(IDD_CHANNEL_PROPERTIES, nullptr, RecordingProcedure, parameter);
}

// Checks that the main window, owner of what openModal opens from its first "N" button,
// takes no click and no key while that is up (closeModal ends it), and is active and
// takes them again once it has ended.
void ExpectOwnerBlockedWhileUp(const std::function<void(platform::WindowHandle)>& openModal,
                               const std::function<void()>& closeModal) {
  ResetRecorder();
  recorder.react = [&](const Message& sent) {
    if (sent.message == kWmCommand && platform::CommandId(sent.wParam) == kSynthPreviewFirstId &&
        sent.window == InitialisedDialog(0)) {
      openModal(sent.window);
    }
    return platform::kTrue;
  };
  WhenUp([&] {
    QWidget* main = ShownWindow(Caption(IDD_COMPOSER));
    WhenUp([&, main] {
      EXPECT_NE(QApplication::activeModalWidget(), nullptr);
      Click(Control(main, kSaveId));
      Press(main, Qt::Key_Escape);
      Press(main, Qt::Key_Return);
      EXPECT_EQ(CommandsTo(InitialisedDialog(0)), std::vector<int>{kSynthPreviewFirstId})
          << "the owner took input while blocked";
      closeModal();
    });
    Click(Control(main, kSynthPreviewFirstId));
    EXPECT_TRUE(QTest::qWaitForWindowActive(main)) << "the owner is the active window again";
    Click(Control(main, kSaveId));
    EXPECT_EQ(CommandsTo(InitialisedDialog(0)),
              (std::vector<int>{kSynthPreviewFirstId, kSaveId}))
        << "the owner takes input again";
    platform::EndModalDialog(InitialisedDialog(0), 0);
  });
  platform::RunModalDialog(IDD_COMPOSER, nullptr, RecordingProcedure, 0);
}

}  // namespace

TEST(DialogInput, ClicksAndKeysSendTheWin32Commands) {
  ResetRecorder();
  RunProperties([](QWidget* window) {
    const platform::WindowHandle handle = InitialisedDialog(0);
    Click(Control(window, IDC_PROPERTIES_BROWSE));
    EXPECT_EQ(MessagesTo(handle), (std::vector<unsigned>{kWmInitDialog, kWmCommand}));
    EXPECT_EQ(recorder.messages.back().wParam, static_cast<uintptr_t>(IDC_PROPERTIES_BROWSE))
        << "the id, and BN_CLICKED (0) in the high word";
    recorder.messages.clear();

    // Enter: the focused push button, else the default button.
    Control(window, kIdOk)->setFocus();
    Press(window, Qt::Key_Return);
    Control(window, IDC_PROPERTIES_FILE_NAME)->setFocus();
    Press(window, Qt::Key_Return);
    Control(window, IDC_PROPERTIES_BROWSE)->setFocus();
    Press(window, Qt::Key_Enter);
    Press(window, Qt::Key_Escape);
    EXPECT_EQ(CommandsTo(handle),
              (std::vector<int>{kIdOk, kIdOk, IDC_PROPERTIES_BROWSE, kIdCancel}));
    platform::EndModalDialog(handle, 0);
  });

  // With no default button and no focused push button, Enter is IDOK.
  ResetRecorder();
  WhenUp([] {
    QWidget* main = ShownWindow(Caption(IDD_COMPOSER));
    main->focusWidget()->clearFocus();
    Press(main, Qt::Key_Return);
    EXPECT_EQ(CommandsTo(InitialisedDialog(0)), std::vector<int>{kIdOk});
    platform::EndModalDialog(InitialisedDialog(0), 0);
  });
  platform::RunModalDialog(IDD_COMPOSER, nullptr, RecordingProcedure, 0);
}

TEST(DialogInput, TheCloseBoxSendsCloseAndCancelOnlyWhenCloseIsLeftUnhandled) {
  for (const DialogResult closeAnswer : {platform::kFalse, platform::kTrue}) {
    ResetRecorder();
    recorder.react = [closeAnswer](const Message& sent) {
      return sent.message == kWmClose ? closeAnswer : platform::kTrue;
    };
    bool stayedOpen = false;
    RunProperties([&](QWidget* window) {
      PressCloseBox(window);
      WhenUp([&] {
        stayedOpen = IsShown(Caption(IDD_CHANNEL_PROPERTIES));
        platform::EndModalDialog(InitialisedDialog(0), 0);
      });
    });
    EXPECT_TRUE(stayedOpen) << "the close box closes nothing by itself";
    std::vector<unsigned> expected{kWmInitDialog, kWmClose};
    if (closeAnswer == platform::kFalse) expected.push_back(kWmCommand);
    EXPECT_EQ(MessagesTo(InitialisedDialog(0)), expected);
    if (closeAnswer == platform::kFalse) {
      EXPECT_EQ(CommandsTo(InitialisedDialog(0)), std::vector<int>{kIdCancel});
    }
  }
}

TEST(DialogInput, InitDialogComesFirstAndTheFirstTabStopGetsTheFocus) {
  for (const DialogResult initAnswer : {platform::kTrue, platform::kFalse}) {
    ResetRecorder();
    recorder.initAnswer = initAnswer;
    int focusedId = 0;
    uintptr_t okButton = 0;
    RunProperties(
        [&](QWidget* window) {
          // With FALSE, the focus comes when the window is activated.
          EXPECT_TRUE(QTest::qWaitForWindowActive(window));
          if (window->focusWidget() != nullptr) focusedId = ControlId(window->focusWidget());
          okButton = reinterpret_cast<uintptr_t>(Control(window, kIdOk));
          platform::EndModalDialog(InitialisedDialog(0), 0);
        },
        4321);
    ASSERT_FALSE(recorder.messages.empty());
    EXPECT_EQ(recorder.messages[0].message, kWmInitDialog);
    EXPECT_EQ(recorder.messages[0].lParam, 4321);
    EXPECT_EQ(recorder.messages[0].wParam, okButton) << "WM_INITDIALOG names the control to focus";
    EXPECT_EQ(focusedId, kIdOk) << "answer " << initAnswer;
  }
}

TEST(DialogInput, EndModalDialogMakesTheRunReturnItsResult) {
  ResetRecorder();
  recorder.react = [](const Message& sent) {
    if (sent.message == kWmCommand) {
      // The run returns only once this message is answered: the last result counts.
      platform::EndModalDialog(sent.window, 7);
      platform::EndModalDialog(sent.window, 1234);
    }
    return platform::kTrue;
  };
  EXPECT_EQ(RunProperties([](QWidget* window) { Click(Control(window, kIdOk)); }), 1234);
  EXPECT_FALSE(IsShown(Caption(IDD_CHANNEL_PROPERTIES)));

  // Ended while it initialises, the dialog returns without showing.
  ResetRecorder();
  recorder.initAnswer = platform::kTrue;
  struct EndAtInit {
    static DialogResult PLATFORM_CALLBACK Procedure(platform::WindowHandle window, unsigned message,
                                                    uintptr_t, intptr_t) {
      if (message == kWmInitDialog) platform::EndModalDialog(window, 55);
      return platform::kTrue;
    }
  };
  EXPECT_EQ(platform::RunModalDialog(IDD_SOUND_PREVIEW, nullptr, EndAtInit::Procedure, 0), 55);

  EXPECT_EQ(platform::RunModalDialog(102, nullptr, RecordingProcedure, 0), -1);
  EXPECT_TRUE(recorder.messages.empty()) << "no procedure call for a missing template";
  int notADialog = 0;
  EXPECT_EQ(platform::EndModalDialog(&notADialog, 1), 0);
  EXPECT_EQ(platform::SetControlText(&notADialog, 1, "x"), 0);
}

TEST(DialogInput, SetControlTextShowsTheStartOfALongFileName) {
  ResetRecorder();
  const QString longPath = QStringLiteral("/home/user/") + QString(150, QLatin1Char('n')) +
                           QStringLiteral("/sample \u00fc.pcm");
  RunProperties([&](QWidget* window) {
    const platform::WindowHandle handle = InitialisedDialog(0);
    EXPECT_EQ(platform::SetControlText(handle, IDC_PROPERTIES_FILE_NAME,
                                       longPath.toUtf8().constData()),
              1);
    auto* field = qobject_cast<QLineEdit*>(Control(window, IDC_PROPERTIES_FILE_NAME));
    EXPECT_EQ(field->text(), longPath);
    EXPECT_EQ(field->cursorPosition(), 0);
    EXPECT_EQ(platform::SetControlText(handle, 9999, "x"), 0);
    platform::EndModalDialog(handle, 0);
  });
}

TEST(DialogModality, AnOwnedDialogCoversTheOwnersClientAreaAndBlocksTheOwner) {
  QPoint ownerClient;
  QPoint dialogClient;
  DialogResult dialogResult = 0;
  ExpectOwnerBlockedWhileUp(
      [&](platform::WindowHandle owner) {
        QWidget* main = WindowOf(owner);
        main->move(120, 80);
        ownerClient = main->mapToGlobal(QPoint(0, 0));
        dialogResult = platform::RunModalDialog(IDD_SOUND_PREVIEW, owner, RecordingProcedure, 0);
      },
      [&] {
        QWidget* preview = ShownWindow(Caption(IDD_SOUND_PREVIEW));
        dialogClient = preview->geometry().topLeft();
        EXPECT_EQ(QApplication::activeModalWidget(), preview);
        platform::EndModalDialog(InitialisedDialog(1), 9);
      });
  EXPECT_EQ(dialogResult, 9);
  EXPECT_GE(ownerClient.x(), 120) << "the owner was moved away from the screen's corner";
  EXPECT_EQ(dialogClient, ownerClient) << "template position 0, 0 of the owner's client area";
}

TEST(DialogModality, TheMessageBoxShowsCaptionTextIconAndOkAndBlocksTheOwner) {
  int pressed = 0;
  ExpectOwnerBlockedWhileUp(
      [&](platform::WindowHandle owner) {
        pressed = platform::ShowMessageBox(owner, "Could Not Save File.", "Error",
                                           platform::kMbOk | platform::kMbIconInformation);
      },
      [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) qFatal("no message box came up");
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Error"));
        EXPECT_EQ(box->text(), QStringLiteral("Could Not Save File."));
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->buttons().size(), 1);
        Click(box->button(QMessageBox::Ok));
      });
  EXPECT_EQ(pressed, kIdOk);
}

TEST(DialogModality, TheChooserBlocksItsOwner) {
  char buffer[200] = "";
  int chosen = -1;
  ExpectOwnerBlockedWhileUp(
      [&](platform::WindowHandle owner) {
        platform::OpenFileRequest request{};
        request.structSize = platform::kOpenFileNameSize400;
        request.owner = owner;
        request.filter = "All Files\0*.*\0";
        request.filterIndex = 1;
        request.file = buffer;
        request.maxFile = sizeof buffer;
        request.title = "Synth File...";
        chosen = platform::RunOpenFileChooser(request);
      },
      [] {
        Press(ShownChooser(), Qt::Key_Escape);
      });
  EXPECT_EQ(chosen, 0);
}
