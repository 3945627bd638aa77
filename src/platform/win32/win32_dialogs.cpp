// The dialog seam over USER32: the dialog manager runs the windows from templates
// built in memory, and the rest passes straight through.
#include <windows.h>

#include "platform/dialogs.h"
#include "platform/win32/dialog_template_builder.h"
#include "platform/win32/win32_module.h"

namespace win32 {

HINSTANCE moduleInstance;

}  // namespace win32

namespace {

// The keys of the dialog that has them (the main window) while it runs: the dialog
// manager's loop has no accelerator table of its own, so a message filter hook hands
// the loop's messages to TranslateAccelerator, as a program's own loop would.
struct DialogKeys {
  HACCEL table;
  DLGPROC procedure;  // tells the dialog apart from the windows it owns
  HHOOK hook;
};
DialogKeys dialogKeys;

LRESULT CALLBACK TranslateDialogKeys(int code, WPARAM wParam, LPARAM lParam) {
  MSG* message = reinterpret_cast<MSG*>(lParam);
  HWND dialog = code == MSGF_DIALOGBOX ? GetAncestor(message->hwnd, GA_ROOT) : nullptr;
  if (dialog != nullptr &&
      reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC)) == dialogKeys.procedure &&
      TranslateAcceleratorA(dialog, dialogKeys.table, message)) {
    return TRUE;
  }
  return CallNextHookEx(dialogKeys.hook, code, wParam, lParam);
}

// The template's keys as an accelerator table; ACCEL's flags are the template's own.
HACCEL CreateAcceleratorTable(const resources::DialogTemplate& dialog) {
  std::vector<ACCEL> accelerators;
  for (int i = 0; i < dialog.acceleratorCount; ++i) {
    const resources::Accelerator& key = dialog.accelerators[i];
    accelerators.push_back({key.modifiers, key.key, static_cast<WORD>(key.commandId)});
  }
  return CreateAcceleratorTableA(accelerators.data(), static_cast<int>(accelerators.size()));
}

}  // namespace

namespace platform {

DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t parameter) {
  const resources::DialogTemplate* dialog = resources::FindDialogTemplate(templateId);
  if (dialog == nullptr) return -1;
  const std::vector<WORD> dialogTemplate = win32::BuildDialogTemplate(*dialog);
  // The procedure already has the dialog procedure's calling convention.
  const DLGPROC dialogProcedure = reinterpret_cast<DLGPROC>(procedure);
  // Only the main window has keys, and it runs once: no two such dialogs nest.
  const bool hasKeys = dialog->acceleratorCount > 0;
  if (hasKeys) {
    dialogKeys = {CreateAcceleratorTable(*dialog), dialogProcedure, nullptr};
    dialogKeys.hook =
        SetWindowsHookExA(WH_MSGFILTER, TranslateDialogKeys, nullptr, GetCurrentThreadId());
  }
  const DialogResult result = DialogBoxIndirectParamA(
      win32::moduleInstance, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
      static_cast<HWND>(owner), dialogProcedure, parameter);
  if (hasKeys) {
    UnhookWindowsHookEx(dialogKeys.hook);
    DestroyAcceleratorTable(dialogKeys.table);
    dialogKeys = {};
  }
  return result;
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
