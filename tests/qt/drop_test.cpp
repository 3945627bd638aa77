// Files dropped on the real Qt main window, offscreen, as its procedure takes them.
#include <gtest/gtest.h>

#include <QtWidgets>
#include <fstream>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "platform/dialogs.h"

namespace {

// Drops the paths or URLs at x, y in the dialog units of the main window, 202 by 127.
void Drop(QWidget* main, int x, int y, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromUserInput(path);
  data.setUrls(urls);
  const QPoint at(x * main->width() / 202, y * main->height() / 127);
  // Qt takes a drop only where the drag was accepted on entering.
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(main, &enter);
  QApplication::sendEvent(main, &drop);
}

}  // namespace

TEST(QtDrop, FilesOnARowAttachFromThereAndASynthFileOnTheWindowOpensAsTheBankRowByRow) {
  int argc = 1;
  char name[] = "drop_tests", *argv[] = {name};
  QApplication application(argc, argv);
  QTemporaryDir folder;
  const QString bank = folder.filePath("bank.syn"), sample = folder.filePath("a.pcm");
  const QString second = folder.filePath("b.pcm"), third = folder.filePath("c.pcm");
  std::ofstream(bank.toStdString()) << '\x1c' << std::string(31, '\0');  // seven empty blocks
  for (const QString& path : {sample, second, third}) std::ofstream(path.toStdString()) << 'a';
  QString rowFiveLabel, triangleDescription, triangleTooltip;
  QTimer::singleShot(0, [&] {
    QWidget* main = QApplication::topLevelWidgets().first();
    Drop(main, 5, 100, {bank});                    // below the rows
    Drop(main, 157, 75, {sample, second, third});  // row 5's "S": rows 5 and 6, no more
    Drop(main, 30, 25, {sample, "https://example.com/a.pcm"});  // row 0: not a local file
    Drop(main, 100, 95, {sample});                              // below the last row: nothing
    for (QLabel* label : main->findChildren<QLabel*>()) {
      const int id = label->property("controlId").toInt();
      if (id == kStatusLabelFirstId + 4) triangleDescription = label->accessibleDescription();
      if (id == kStatusLabelFirstId + 4) triangleTooltip = label->toolTip();
      if (id == kStatusLabelFirstId + 5) rowFiveLabel = label->text();
    }
    platform::EndModalDialog(main, 0);
  });
  RunComposer();
  std::vector<std::string> files;
  for (const ChannelRow& row : kChannelRows) files.push_back(row.slot->FileName());
  const std::string b = bank.toStdString();
  EXPECT_EQ(files,
            (std::vector<std::string>{b, b, b, b, b, sample.toStdString(), second.toStdString()}));
  EXPECT_EQ(rowFiveLabel.toStdString(), "PCM");
  EXPECT_EQ(triangleDescription.toStdString(), b + ", block 5 (Triangle Wave)");
  EXPECT_EQ(triangleTooltip, triangleDescription);
}
