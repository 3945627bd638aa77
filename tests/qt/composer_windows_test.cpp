// The three windows with the program's own procedures on the Qt dialog manager: what
// Escape, Enter and the close box do to each, as a user meets them.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "fakes.h"
#include "qt_test_support.h"
#include "resources/resource_ids.h"

namespace {

QString LabelText(QWidget* main, int row) {
  return qobject_cast<QLabel*>(Control(main, kStatusLabelFirstId + row))->text();
}

long StopCalls() {
  const std::vector<std::string>& calls = fake::AudioCalls();
  return std::count(calls.begin(), calls.end(), std::string("StopBuffer"));
}

}  // namespace

TEST(ComposerWindows, MainWindowIgnoresEscapeAndEndsWithZeroByItsCloseBox) {
  bool stayedAfterEscape = false;
  WhenUp([&] {
    Press(ShownWindow(Caption(IDD_COMPOSER)), Qt::Key_Escape);
    WhenUp([&] {
      stayedAfterEscape = IsShown(Caption(IDD_COMPOSER));
      PressCloseBox(ShownWindow(Caption(IDD_COMPOSER)));
    });
  });
  EXPECT_EQ(RunComposer(), 0);
  EXPECT_TRUE(stayedAfterEscape);
  EXPECT_FALSE(IsShown(Caption(IDD_COMPOSER)));

  // Its procedure leaves the focus to the dialog manager, which gives it to the first
  // tab stop, "Exit", when the window is activated: Enter then ends the program.
  int focusedId = 0;
  WhenUp([&] {
    QWidget* main = ShownWindow(Caption(IDD_COMPOSER));
    EXPECT_TRUE(QTest::qWaitForWindowActive(main));
    if (main->focusWidget() != nullptr) focusedId = ControlId(main->focusWidget());
    Press(main, Qt::Key_Return);
  });
  EXPECT_EQ(RunComposer(), 0);
  EXPECT_EQ(focusedId, kExitId);
}

TEST(ComposerWindows, ChannelPropertiesIgnoresEscapeAndItsCloseBoxEndsItLikeOk) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("take one \u00fc.pcm"));
  QFile sample(path);
  ASSERT_TRUE(sample.open(QIODevice::WriteOnly));
  sample.write("\x01\x02\x03", 3);
  sample.close();
  const int row = 2;

  bool stayedAfterEscape = false;
  QString fieldAfterChoice;
  QString labelAfterCloseBox;
  QString labelAfterEnter;
  int focusedAtOpen = 0;
  WhenUp([&] {
    QWidget* main = ShownWindow(Caption(IDD_COMPOSER));
    WhenUp([&] {
      Press(ShownWindow(Caption(IDD_CHANNEL_PROPERTIES)), Qt::Key_Escape);
      WhenUp([&] {
        stayedAfterEscape = IsShown(Caption(IDD_CHANNEL_PROPERTIES));
        QWidget* properties = ShownWindow(Caption(IDD_CHANNEL_PROPERTIES));
        WhenUp([&] { ChooseName(ShownChooser(), path); });
        Click(Control(properties, IDC_PROPERTIES_BROWSE));
        fieldAfterChoice =
            qobject_cast<QLineEdit*>(Control(properties, IDC_PROPERTIES_FILE_NAME))->text();
        PressCloseBox(properties);
      });
    });
    Click(Control(main, kPropertiesFirstId + row));
    labelAfterCloseBox = LabelText(main, row);

    WhenUp([&] {
      QWidget* properties = ShownWindow(Caption(IDD_CHANNEL_PROPERTIES));
      if (properties->focusWidget() != nullptr) focusedAtOpen = ControlId(properties->focusWidget());
      Press(properties, Qt::Key_Return);
    });
    Click(Control(main, kPropertiesFirstId + row));
    labelAfterEnter = LabelText(main, row);
    Click(Control(main, kExitId));
  });
  EXPECT_EQ(RunComposer(), 0);
  EXPECT_TRUE(stayedAfterEscape);
  EXPECT_EQ(fieldAfterChoice, path);
  EXPECT_EQ(labelAfterCloseBox, QStringLiteral("PCM"));
  EXPECT_EQ(focusedAtOpen, platform::kIdOk) << "its procedure lets the focus go to OK";
  EXPECT_EQ(labelAfterEnter, QStringLiteral("PCM"));
  EXPECT_EQ(QString::fromUtf8(kChannelRows[row].slot->FileName()), path);
}

TEST(ComposerWindows, SoundPreviewIgnoresEscapeAndItsCloseBoxAndEndsOnEnter) {
  bool stayed = false;
  long stopsWhileUp = -1;
  bool goneAfterEnter = false;
  const long stopsBefore = StopCalls();
  WhenUp([&] {
    QWidget* main = ShownWindow(Caption(IDD_COMPOSER));
    WhenUp([&] {
      QWidget* preview = ShownWindow(Caption(IDD_SOUND_PREVIEW));
      Press(preview, Qt::Key_Escape);
      PressCloseBox(preview);
      WhenUp([&] {
        stayed = IsShown(Caption(IDD_SOUND_PREVIEW));
        stopsWhileUp = StopCalls() - stopsBefore;
        Press(ShownWindow(Caption(IDD_SOUND_PREVIEW)), Qt::Key_Return);
      });
    });
    Click(Control(main, kSynthPreviewFirstId + 3));
    goneAfterEnter = !IsShown(Caption(IDD_SOUND_PREVIEW));
    Click(Control(main, kExitId));
  });
  EXPECT_EQ(RunComposer(), 0);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(stopsWhileUp, 0) << "the sound plays on";
  EXPECT_TRUE(goneAfterEnter);
  EXPECT_EQ(StopCalls() - stopsBefore, 1) << "Enter pressed OK, which stops the sound";
  EXPECT_EQ(currentWaveKind, Pulse75);
}
