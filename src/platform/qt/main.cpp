// The Linux entry: the composer on Qt Widgets.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

constexpr char kHelp[] =
    "Usage: brivola-composer [BANK.syn]\n\n"
    "Brivola Synthesis Composer attaches 16-bit PCM samples to the seven synthesis waves of\n"
    "the NES sound channels, previews them and saves them as one Synth file (\".syn\").\n"
    "Given BANK.syn, a Synth file, the seven rows start with its seven blocks.\n\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n\n"
    "Environment:\n"
    "  BRIVOLA_VERBOSE=1  let the messages of Qt, OpenAL Soft and ALSA through to the\n"
    "                     terminal, to find out why there is no sound\n";

// Answers --help and --version, which need no display; false for any other arguments.
bool AnsweredInformationOption(int argc, char** argv) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kHelp, stdout);
    return true;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("brivola-composer " BRIVOLA_VERSION);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // A help or version that cannot be written out is a failure, as in brivola-syn.
  if (AnsweredInformationOption(argc, argv)) return std::fflush(stdout) == 0 ? 0 : 1;
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
