// A pane that the program runs inside a comdlg32 chooser: the chooser's hook, hosting the
// program's dialog procedure as a dialog of its own.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "platform/win32_values.h"
#include "resources/dialog_templates.h"

namespace win32 {

// What the chooser's record carries to its hook in lCustData.
struct PaneRequest {
  platform::DialogProcedure procedure;
  const resources::DialogTemplate* pane;
};

// The hook: names and describes the pane's controls for screen readers, draws its
// waveform pictures, and passes every other message to the procedure.
UINT_PTR CALLBACK HostPane(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win32
