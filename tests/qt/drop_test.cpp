// Files dropped on the real Qt main window, offscreen: what its procedure makes of the
// drop's point and files, seen in the rows' files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <fstream>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "platform/dialogs.h"

namespace {

void Drop(QWidget* window, QPoint at, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  // Qt takes a drop only where the drag was accepted on entering.
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &enter);
  QApplication::sendEvent(window, &drop);
}

}  // namespace

TEST(QtDrop, FilesOnARowAttachFromThereAndASynthFileOnTheWindowOpensAsTheBank) {
  int argc = 1;
  char name[] = "drop_tests";
  char* argv[] = {name};
  QApplication application(argc, argv);
  const auto folder =
      std::filesystem::temp_directory_path() / ("brivola-drop-" + std::to_string(getpid()));
  std::filesystem::create_directory(folder);
  const std::string bank = folder / "bank.syn", a = folder / "a.pcm", b = folder / "b.pcm";
  std::ofstream(bank) << '\x1c' << std::string(31, '\0');  // seven empty blocks
  std::ofstream(a) << 'a';
  std::ofstream(b) << 'b';
  QTimer::singleShot(0, [&] {
    QWidget* main = QApplication::topLevelWidgets().first();
    // Dialog units to pixels: the window is 202 by 127 units.
    auto at = [main](int x, int y) {
      return QPoint(x * main->width() / 202, y * main->height() / 127);
    };
    Drop(main, at(5, 100), {QUrl::fromLocalFile(QString::fromStdString(bank))});
    Drop(main, at(157, 75),
         {QUrl::fromLocalFile(QString::fromStdString(a)),
          QUrl::fromLocalFile(QString::fromStdString(b))});
    Drop(main, at(30, 25),
         {QUrl::fromLocalFile(QString::fromStdString(a)), QUrl("https://example.com/a.pcm")});
    platform::EndModalDialog(main, 0);
  });
  RunComposer();
  std::vector<std::string> files;
  for (const ChannelRow& row : kChannelRows) files.push_back(row.slot->FileName());
  EXPECT_EQ(files, (std::vector<std::string>{bank, bank, bank, bank, bank, a, b}));
  std::filesystem::remove_all(folder);
}
