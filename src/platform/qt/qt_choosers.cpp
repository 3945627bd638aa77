// The open-file chooser on Qt: QFileDialog with its own widgets, so that it looks and
// behaves the same on every desktop.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <cstring>

#include "platform/choosers.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_windows.h"

namespace {

// Windows separates the patterns of a pair with ';' and reads "*.*" as any file.
QString QtPatterns(const char* patterns) {
  QStringList converted;
  for (const QString& pattern : QString::fromUtf8(patterns).split(';', Qt::SkipEmptyParts)) {
    const QString trimmed = pattern.trimmed();
    converted << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
  }
  return converted.join(' ');
}

// "name\0pattern\0...\0" as QFileDialog's "name (patterns)" filters.
QStringList NameFilters(const char* filter) {
  QStringList filters;
  while (filter != nullptr && *filter != '\0') {
    const char* name = filter;
    const char* patterns = name + std::strlen(name) + 1;
    filters << QStringLiteral("%1 (%2)").arg(QString::fromUtf8(name), QtPatterns(patterns));
    filter = patterns + std::strlen(patterns) + 1;
  }
  return filters;
}

// Opens in the folder of the buffer's path with its name filled in, or in the current
// folder when the buffer holds no folder.
void FillInPath(QFileDialog& chooser, const char* buffer, uint32_t capacity) {
  const QString path = QFile::decodeName(QByteArray(buffer, strnlen(buffer, capacity)));
  const QFileInfo info(path);
  chooser.setDirectory(path.contains('/') ? info.absolutePath() : QDir::currentPath());
  chooser.selectFile(info.fileName());
}

// Tells the user, over the chooser's owner, that the path chosen does not fit.
void TellPathTooLong(const platform::OpenFileRequest& request) {
  platform::ShowMessageBox(request.owner, platform::PathTooLongText(request.maxFile).c_str(),
                           platform::kPathTooLongCaption, platform::kMbOk);
}

}  // namespace

namespace platform {

int RunOpenFileChooser(OpenFileRequest& request) {
  if (request.file == nullptr || request.maxFile == 0) return 0;
  QWidget* owner = qtbackend::DialogWidget(request.owner);
  QFileDialog chooser(owner, QString::fromUtf8(request.title));
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  chooser.setOption(QFileDialog::HideNameFilterDetails);
  chooser.setAcceptMode(QFileDialog::AcceptOpen);  // never asks to confirm an overwrite
  chooser.setFileMode((request.flags & kOfnFileMustExist) ? QFileDialog::ExistingFile
                                                          : QFileDialog::AnyFile);
  const QStringList filters = NameFilters(request.filter);
  chooser.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= static_cast<uint32_t>(filters.size())) {
    chooser.selectNameFilter(filters.at(static_cast<int>(request.filterIndex) - 1));
  }
  if (request.defaultExtension != nullptr) {
    chooser.setDefaultSuffix(QString::fromUtf8(request.defaultExtension));
  }
  FillInPath(chooser, request.file, request.maxFile);

  for (;;) {
    if (qtbackend::RunOwnedDialog(chooser, owner) != QDialog::Accepted) return 0;
    const QStringList chosen = chooser.selectedFiles();
    if (chosen.isEmpty()) return 0;
    const QByteArray path = QFile::encodeName(chosen.first());
    if (static_cast<uint32_t>(path.size()) < request.maxFile) {
      std::memcpy(request.file, path.constData(), static_cast<size_t>(path.size()) + 1);
      return 1;
    }
    TellPathTooLong(request);
  }
}

}  // namespace platform
