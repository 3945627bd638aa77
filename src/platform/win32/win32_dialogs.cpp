// The dialog seam over USER32: the dialog manager runs the windows from templates
// built in memory, and the rest passes straight through.
#include <windows.h>

#include <commctrl.h>

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
  HWND dialog;  // once it is made
  HHOOK hook;
};
DialogKeys dialogKeys;

LRESULT CALLBACK TranslateDialogKeys(int code, WPARAM wParam, LPARAM lParam) {
  MSG* message = reinterpret_cast<MSG*>(lParam);
  HWND dialog = code == MSGF_DIALOGBOX ? GetAncestor(message->hwnd, GA_ROOT) : nullptr;
  if (dialog != nullptr && dialog == dialogKeys.dialog &&
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

// Every dialog runs through WithTooltips, which hands each message on to the program's
// procedure (kept as a window property) and gives the dialog a tooltip control, with a
// tool for each control the template names or describes.
constexpr char kProcedureProperty[] = "BrivolaDialogProcedure";
constexpr char kTooltipProperty[] = "BrivolaTooltip";

// The dialog that DialogBoxIndirectParamA is making: its first messages come before
// its procedure can be a property of its window.
struct StartingDialog {
  DLGPROC procedure;
  const resources::DialogTemplate* dialog;
};
StartingDialog startingDialog;

// A button takes the mouse itself, so its tool is its window; a text lets the mouse
// through to the dialog, so its tool is its rectangle there. A tip lets clicks through
// to what lies under it, so that it never swallows the click meant for a button below.
void SetTooltip(HWND dialog, int controlId, const char* text) {
  const HWND tooltip = static_cast<HWND>(GetPropA(dialog, kTooltipProperty));
  const HWND control = GetDlgItem(dialog, controlId);
  if (tooltip == nullptr || control == nullptr) return;
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = dialog;
  char className[16] = "";
  GetClassNameA(control, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0) {
    tool.uFlags = TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.uId = static_cast<UINT_PTR>(controlId);
    GetWindowRect(control, &tool.rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tool.rect), 2);
  } else {
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
  }
  SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void AddTooltips(HWND dialog, const resources::DialogTemplate& dialogTemplate) {
  const HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                       WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                       win32::moduleInstance, nullptr);
  SetPropA(dialog, kTooltipProperty, tooltip);
  for (int i = 0; i < dialogTemplate.controlCount; ++i) {
    const resources::ControlTemplate& control = dialogTemplate.controls[i];
    const char* text = control.description ? control.description : control.accessibleName;
    if (text != nullptr) SetTooltip(dialog, control.id, text);
  }
}

INT_PTR CALLBACK WithTooltips(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto procedure = reinterpret_cast<DLGPROC>(GetPropA(dialog, kProcedureProperty));
  if (procedure == nullptr) {
    procedure = startingDialog.procedure;
    SetPropA(dialog, kProcedureProperty, reinterpret_cast<HANDLE>(procedure));
  }
  if (message == WM_INITDIALOG) {
    AddTooltips(dialog, *startingDialog.dialog);
    if (startingDialog.dialog->acceleratorCount > 0) dialogKeys.dialog = dialog;
  }
  const INT_PTR result = procedure(dialog, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    RemovePropA(dialog, kProcedureProperty);
    RemovePropA(dialog, kTooltipProperty);  // the tooltip goes with the dialog that owns it
  }
  return result;
}

}  // namespace

namespace platform {

DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t parameter) {
  const resources::DialogTemplate* dialog = resources::FindDialogTemplate(templateId);
  if (dialog == nullptr) return -1;
  const std::vector<WORD> dialogTemplate = win32::BuildDialogTemplate(*dialog);
  static const bool tooltipsReady = [] {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  // The procedure already has the dialog procedure's calling convention.
  startingDialog = {reinterpret_cast<DLGPROC>(procedure), dialog};
  const DLGPROC dialogProcedure = tooltipsReady ? WithTooltips : startingDialog.procedure;
  // Only the main window has keys, and it runs once: no two such dialogs nest.
  const bool hasKeys = dialog->acceleratorCount > 0;
  if (hasKeys) {
    dialogKeys = {CreateAcceleratorTable(*dialog), nullptr, nullptr};
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

// The window's own description has no tooltip to show it.
int SetControlDescription(WindowHandle dialog, int controlId, const char* text) {
  if (controlId == kDialogItself) return 0;
  SetTooltip(static_cast<HWND>(dialog), controlId, text);
  return 1;
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace platform
