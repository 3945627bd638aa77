// The Linux entry: the composer on Qt Widgets.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/composer.h"
#include "platform/library_chatter.h"
#include "platform/posix/posix_files.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Qt's warnings and notes stay off the terminal; a fatal one, which ends the program,
// still says why.
void KeepQtMessagesFatalOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display Qt would abort with a long trace; one line says what to do.
  if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM")) {
    std::fputs("brivola-composer: no display; run it from a desktop session or under xvfb-run\n",
               stderr);
    return 1;
  }
  posix::ReserveStandardDescriptors();
  if (!platform::LibraryChatterWanted()) qInstallMessageHandler(KeepQtMessagesFatalOnly);
  QApplication application(argc, argv);
  // The dialogs run their own loops; a window closing must not stop them.
  application.setQuitOnLastWindowClosed(false);
  // QApplication has taken its own options out: a file named first opens as the bank.
  return RunComposer(argc > 1 ? argv[1] : nullptr);
}
