// The open-file chooser on QFileDialog: what it shows when it opens, which names it
// lets the user choose, and what lands in the 200-byte buffer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <cstring>
#include <string>

#include "platform/choosers.h"
#include "qt_test_support.h"

namespace {

constexpr uint32_t kBufferSize = 200;
constexpr char kSampleFilter[] = "PCM Wave Format\0*.pcm\0All Files\0*.*\0";
constexpr char kSynthFilter[] = "Synth Files(*.syn)\0*.syn\0All Files\0*.*\0";

struct Chooser {
  char buffer[kBufferSize] = {};
  platform::OpenFileRequest request{};

  Chooser(const char* filter, uint32_t flags, const char* extension, const std::string& start) {
    std::strncpy(buffer, start.c_str(), kBufferSize - 1);
    request.structSize = platform::kOpenFileNameSize400;
    request.filter = filter;
    request.filterIndex = 1;
    request.file = buffer;
    request.maxFile = kBufferSize;
    request.title = "Open Wave...";
    request.flags = flags;
    request.defaultExtension = extension;
  }

  // Runs the chooser; the user's part is done by the action on the dialog.
  int Run(const std::function<void(QFileDialog*)>& user) {
    WhenUp([&] { user(ShownChooser()); });
    return platform::RunOpenFileChooser(request);
  }
};

QLineEdit* NameField(QFileDialog* dialog) {
  return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

QString FolderPath(const QTemporaryDir& folder) { return QDir(folder.path()).canonicalPath(); }

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

void WriteFile(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\x10\x20", 2);
}

}  // namespace

TEST(Chooser, OpensWithTitleFilterNamesTheSelectedPairAndTheBuffersPath) {
  QTemporaryDir folder;
  const QString start = FolderPath(folder) + QStringLiteral("/last take.pcm");
  Chooser chooser(kSampleFilter, platform::kOfnFileMustExist | platform::kOfnHideReadOnly, "pcm",
                  Utf8(start));
  chooser.request.filterIndex = 2;
  QStringList shownFilters;
  const int chosen = chooser.Run([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Open Wave..."));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    for (int i = 0; i < types->count(); ++i) shownFilters << types->itemText(i);
    EXPECT_EQ(types->currentText(), QStringLiteral("All Files"));
    EXPECT_TRUE(dialog->nameFilters().contains(QStringLiteral("All Files (*)")))
        << "\"*.*\" means any file, with or without a dot";
    EXPECT_EQ(dialog->directory().canonicalPath(), FolderPath(folder));
    EXPECT_EQ(NameField(dialog)->text(), QStringLiteral("last take.pcm"));
    Press(dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(shownFilters, (QStringList{QStringLiteral("PCM Wave Format"), QStringLiteral("All Files")}));
  EXPECT_EQ(std::string(chooser.buffer), Utf8(start)) << "cancel leaves the buffer alone";

  Chooser synth(kSynthFilter, platform::kOfnHideReadOnly, "syn", "");
  const int cancelled = synth.Run([&](QFileDialog* dialog) {
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    EXPECT_EQ(types->currentText(), QStringLiteral("Synth Files(*.syn)"));
    EXPECT_EQ(dialog->directory().canonicalPath(), QDir::current().canonicalPath());
    EXPECT_TRUE(NameField(dialog)->text().isEmpty());
    dialog->reject();
  });
  EXPECT_EQ(cancelled, 0);
  EXPECT_EQ(synth.buffer[0], '\0');
}

TEST(Chooser, FileMustExistAcceptsOnlyAnExistingFile) {
  QTemporaryDir folder;
  const QString existing = FolderPath(folder) + QStringLiteral("/a b \u00fc.pcm");
  WriteFile(existing);
  Chooser chooser(kSampleFilter, platform::kOfnFileMustExist | platform::kOfnHideReadOnly, "pcm",
                  Utf8(FolderPath(folder) + QStringLiteral("/")));
  QString refusal;
  bool stayedForMissing = false;
  EXPECT_EQ(chooser.Run([&](QFileDialog* dialog) {
    // A missing name brings a message, as on Windows, and the chooser stays.
    WhenUp([&] {
      auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (message == nullptr) qFatal("no message about the missing file");
      refusal = message->text();
      Press(message, Qt::Key_Return);
    });
    EnterName(dialog, QStringLiteral("missing.pcm"));
    stayedForMissing = dialog->isVisible() && QApplication::activeModalWidget() == dialog;
    ChooseName(dialog, existing);
  }), 1);
  EXPECT_TRUE(refusal.contains(QStringLiteral("missing.pcm"))) << refusal.toStdString();
  EXPECT_TRUE(stayedForMissing);
  EXPECT_EQ(std::string(chooser.buffer), Utf8(existing));

  // A name without an extension gets the default one.
  std::memset(chooser.buffer, 0, kBufferSize);
  EXPECT_EQ(chooser.Run([&](QFileDialog* dialog) {
    dialog->setDirectory(FolderPath(folder));
    ChooseName(dialog, QStringLiteral("a b \u00fc"));
  }), 1);
  EXPECT_EQ(std::string(chooser.buffer), Utf8(existing));
}

TEST(Chooser, WithoutTheFlagANewNameIsAllowedAndGetsTheDefaultExtension) {
  QTemporaryDir folder;
  const QString existing = FolderPath(folder) + QStringLiteral("/old.syn");
  WriteFile(existing);
  Chooser chooser(kSynthFilter, platform::kOfnHideReadOnly, "syn", Utf8(existing));
  EXPECT_EQ(chooser.Run([](QFileDialog* dialog) { ChooseName(dialog, QStringLiteral("new target")); }), 1);
  EXPECT_EQ(std::string(chooser.buffer), Utf8(FolderPath(folder) + QStringLiteral("/new target.syn")));
  EXPECT_FALSE(QFile::exists(FolderPath(folder) + QStringLiteral("/new target.syn")))
      << "choosing creates nothing";

  EXPECT_EQ(chooser.Run([](QFileDialog* dialog) { ChooseName(dialog, QStringLiteral("kept.bin")); }), 1);
  EXPECT_EQ(std::string(chooser.buffer), Utf8(FolderPath(folder) + QStringLiteral("/kept.bin")));

  // Choosing an existing file asks nothing more: it is an open-file chooser.
  EXPECT_EQ(chooser.Run([](QFileDialog* dialog) { ChooseName(dialog, QStringLiteral("old.syn")); }), 1);
  EXPECT_EQ(std::string(chooser.buffer), Utf8(existing));
}

TEST(Chooser, APathMustFitTheBufferWithItsNul) {
  QTemporaryDir folder;
  // A path of exactly this many UTF-8 bytes, a two-byte letter among them.
  const auto PathOfBytes = [&](int bytes) {
    const QString head = FolderPath(folder) + QStringLiteral("/\u00e9");
    const QString tail = QStringLiteral(".syn");
    const int padding = bytes - head.toUtf8().size() - tail.toUtf8().size();
    return head + QString(padding, QLatin1Char('x')) + tail;
  };
  const QString fits = PathOfBytes(kBufferSize - 1);
  const QString tooLong = PathOfBytes(kBufferSize);
  ASSERT_EQ(fits.toUtf8().size(), 199);
  ASSERT_EQ(tooLong.toUtf8().size(), 200);

  Chooser chooser(kSynthFilter, platform::kOfnHideReadOnly, "syn", "");
  EXPECT_EQ(chooser.Run([&](QFileDialog* dialog) { ChooseName(dialog, fits); }), 1);
  EXPECT_EQ(std::string(chooser.buffer), Utf8(fits));

  EXPECT_EQ(chooser.Run([&](QFileDialog* dialog) { ChooseName(dialog, tooLong); }), 0);
  EXPECT_EQ(std::string(chooser.buffer), Utf8(fits)) << "a failed choice leaves the buffer alone";
}
