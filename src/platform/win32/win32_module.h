// The program's module instance: WinMain receives it and the dialogs are created with it.
#pragma once

#include <windows.h>

namespace win32 {

extern HINSTANCE moduleInstance;

}  // namespace win32
