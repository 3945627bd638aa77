// The Windows entry: the main window runs as a modal dialog, its result is the exit code.
#include <windows.h>

#include "app/composer.h"
#include "platform/win32/win32_module.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  win32::moduleInstance = instance;
  return RunComposer();
}
