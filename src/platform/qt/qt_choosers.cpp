// The open-file chooser on Qt: QFileDialog with its own widgets, so that it looks and
// behaves the same on every desktop.
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
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

// The dynamic property of a chooser that holds the path of the file selected or named.
constexpr char kSelectionProperty[] = "selection";

// The path the file name field names: relative to the folder shown.
QString NamedPath(const QFileDialog& chooser, const QString& typed) {
  return typed.isEmpty() ? QString() : QDir(chooser.directory()).absoluteFilePath(typed);
}

// A typed path of an existing file is taken whichever filter is selected, as Windows'
// chooser takes it: Qt's own check finds only the files the filter shows, once it has
// listed their folder.
void TakeTypedFiles(QFileDialog& chooser, QLineEdit* field) {
  auto* buttons = chooser.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  QPushButton* open = buttons != nullptr ? buttons->button(QDialogButtonBox::Open) : nullptr;
  if (field == nullptr || open == nullptr) return;
  QObject::connect(field, &QLineEdit::textChanged, open, [&chooser, open](const QString& typed) {
    if (QFileInfo(NamedPath(chooser, typed)).isFile()) open->setEnabled(true);
  });
}

// The pane that the request's hook runs, right of the chooser's own controls. It is told
// of each new selection, or typed name, once the chooser has no other event waiting, so
// that a selection passed over quickly is never read.
QWidget* OpenPane(QFileDialog& chooser, QLineEdit* field,
                  const platform::OpenFileRequest& request) {
  if (!(request.flags & platform::kOfnEnableHook) ||
      !(request.flags & platform::kOfnEnableTemplate))
    return nullptr;
  auto* grid = qobject_cast<QGridLayout*>(chooser.layout());
  QWidget* pane = qtbackend::OpenPane(request.templateId, request.hook, &chooser);
  if (grid == nullptr || pane == nullptr) return pane;
  grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
  auto* notice = new QTimer(pane);
  notice->setSingleShot(true);
  QObject::connect(notice, &QTimer::timeout, pane, [pane] {
    const platform::NotifyHeader header{pane, 0, platform::kCdnSelChange};
    qtbackend::SendToPane(pane, platform::kWmNotify, 0, reinterpret_cast<intptr_t>(&header));
  });
  const auto select = [&chooser, notice](const QString& path) {
    chooser.setProperty(kSelectionProperty, path);
    notice->start(0);
  };
  QObject::connect(&chooser, &QFileDialog::currentChanged, pane, select);
  if (field != nullptr) {
    QObject::connect(field, &QLineEdit::textChanged, pane,
                     [&chooser, select](const QString& typed) {
                       const QString path = NamedPath(chooser, typed);
                       if (QFileInfo::exists(path)) select(path);
                     });
  }
  return pane;
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
  // QFileDialog's own field for the file's name.
  auto* field = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (request.flags & kOfnFileMustExist) TakeTypedFiles(chooser, field);
  QWidget* pane = OpenPane(chooser, field, request);
  FillInPath(chooser, request.file, request.maxFile);

  int result = 0;
  for (;;) {
    if (qtbackend::RunOwnedDialog(chooser, owner) != QDialog::Accepted) break;
    const QStringList chosen = chooser.selectedFiles();
    if (chosen.isEmpty()) break;
    const QByteArray path = QFile::encodeName(chosen.first());
    if (static_cast<uint32_t>(path.size()) < request.maxFile) {
      std::memcpy(request.file, path.constData(), static_cast<size_t>(path.size()) + 1);
      result = 1;
      break;
    }
    TellPathTooLong(request);
  }
  if (pane != nullptr) qtbackend::SendToPane(pane, kWmDestroy, 0, 0);
  return result;
}

int GetChooserSelection(WindowHandle pane, char* path, uint32_t capacity) {
  QWidget* widget = qtbackend::DialogWidget(pane);
  auto* chooser = widget != nullptr ? qobject_cast<QFileDialog*>(widget->parentWidget()) : nullptr;
  if (chooser == nullptr) return -1;
  const QByteArray selection = QFile::encodeName(chooser->property(kSelectionProperty).toString());
  if (selection.isEmpty()) return -1;
  const auto length = static_cast<uint32_t>(selection.size()) + 1;
  if (length <= capacity) std::memcpy(path, selection.constData(), length);
  return static_cast<int>(length);
}

}  // namespace platform
