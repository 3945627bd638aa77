// The Windows entry: the main window runs as a modal dialog, its result is the exit code.
#include <windows.h>

#include <cstdlib>

#include "app/composer.h"
#include "platform/win32/win32_module.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  win32::moduleInstance = instance;
  // A Synth file named on the command line opens as the bank.
  return RunComposer(__argc > 1 ? __argv[1] : nullptr);
}
