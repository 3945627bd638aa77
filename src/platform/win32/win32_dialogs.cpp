// The dialog seam over USER32: the dialog manager runs the windows from templates
// built in memory, and the rest passes straight through.
#include <windows.h>

#include "platform/dialogs.h"
#include "platform/win32/dialog_template_builder.h"
#include "platform/win32/win32_module.h"

namespace win32 {

HINSTANCE moduleInstance;

}  // namespace win32

namespace platform {

DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t parameter) {
  const resources::DialogTemplate* dialog = resources::FindDialogTemplate(templateId);
  if (dialog == nullptr) return -1;
  const std::vector<WORD> dialogTemplate = win32::BuildDialogTemplate(*dialog);
  // The procedure already has the dialog procedure's calling convention.
  return DialogBoxIndirectParamA(
      win32::moduleInstance, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
      static_cast<HWND>(owner), reinterpret_cast<DLGPROC>(procedure), parameter);
}

int EndModalDialog(WindowHandle dialog, DialogResult result) {
  return EndDialog(static_cast<HWND>(dialog), result);
}

int SetControlText(WindowHandle dialog, int controlId, const char* text) {
  return SetDlgItemTextA(static_cast<HWND>(dialog), controlId, text);
}

// A tooltip would need the common controls' DLL, which the program does without.
int SetControlDescription(WindowHandle, int, const char*) { return 0; }

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace platform
