// The dialog seam over USER32: the dialog manager runs the windows from templates
// built in memory, and the rest passes straight through.
#include <windows.h>

#include <commctrl.h>
#include <initguid.h>  // the accessibility GUIDs below are defined here
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/file_preview/file_preview.h"
#include "platform/dialog_units.h"
#include "platform/dialogs.h"
#include "platform/win32/dialog_template_builder.h"
#include "platform/win32/win32_module.h"
#include "platform/win32/win32_panes.h"

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

// Every dialog runs through HostDialog, which hands each message on to the program's
// procedure (kept as a window property), gives the dialog a tooltip control with a tool
// for each control the template names or describes, tells screen readers the same
// words, and turns files dropped on the main window into the program's drop record.
constexpr char kProcedureProperty[] = "BrivolaDialogProcedure";
constexpr char kTooltipProperty[] = "BrivolaTooltip";
constexpr char kTemplateProperty[] = "BrivolaDialogTemplate";

// The dialog that DialogBoxIndirectParamA is making: its first messages come before
// its procedure can be a property of its window.
struct StartingDialog {
  DLGPROC procedure;
  const resources::DialogTemplate* dialog;
  bool tooltips;  // whether the common controls' tooltips could be set up
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

// ---- What screen readers get ------------------------------------------------------

// Active Accessibility's dynamic annotation: a screen reader hears a control by the
// program's words for it, while the button itself shows its short text. Made once, on
// the dialogs' thread; null where the system offers no such service.
IAccPropServices* AccessibilityServices() {
  static IAccPropServices* const services = [] {
    // COM may already be set up on the thread, in either model: either serves.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* made = nullptr;
    return SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IAccPropServices, reinterpret_cast<void**>(&made)))
               ? made
               : nullptr;
  }();
  return services;
}

// The UTF-8 text as a screen reader's property of the window; bytes that are not UTF-8
// become U+FFFD.
void Annotate(HWND window, const MSAAPROPID& property, const char* text) {
  IAccPropServices* services = AccessibilityServices();
  if (services == nullptr || window == nullptr || text == nullptr) return;
  std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0)),
                    L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
  services->SetHwndPropStr(window, OBJID_CLIENT, CHILDID_SELF, property, wide.data());
}

// Annotations outlive their windows unless cleared.
void ClearAnnotations(HWND window) {
  IAccPropServices* services = AccessibilityServices();
  MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
  if (services != nullptr && window != nullptr) {
    services->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, properties,
                             static_cast<int>(std::size(properties)));
  }
}

void DescribeControls(HWND dialog, const resources::DialogTemplate& dialogTemplate,
                      bool withTooltips) {
  const HWND tooltip = withTooltips
                           ? CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog,
                                             nullptr, win32::moduleInstance, nullptr)
                           : nullptr;
  SetPropA(dialog, kTooltipProperty, tooltip);
  for (int i = 0; i < dialogTemplate.controlCount; ++i) {
    const resources::ControlTemplate& control = dialogTemplate.controls[i];
    const char* text = control.description ? control.description : control.accessibleName;
    if (text != nullptr) SetTooltip(dialog, control.id, text);
    const HWND window = GetDlgItem(dialog, control.id);
    Annotate(window, PROPID_ACC_NAME, control.accessibleName);
    Annotate(window, PROPID_ACC_DESCRIPTION, control.description);
  }
}

void ClearDescriptions(HWND dialog, const resources::DialogTemplate* dialogTemplate) {
  ClearAnnotations(dialog);
  for (int i = 0; dialogTemplate != nullptr && i < dialogTemplate->controlCount; ++i) {
    ClearAnnotations(GetDlgItem(dialog, dialogTemplate->controls[i].id));
  }
}

// ---- Dropped files -----------------------------------------------------------------

// The drop as the program reads it: the point in dialog units from the client area's
// top-left corner, rounded down, and the paths as the file system names them. A window
// disabled by a modal one (Channel Properties, a preview, a chooser, a message box)
// takes no drop.
void TakeDrop(HWND dialog, HDROP drop, DLGPROC procedure) {
  if (IsWindowEnabled(dialog)) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> names(count);
    std::vector<const char*> paths;
    for (UINT i = 0; i < count; ++i) {
      names[i].resize(DragQueryFileA(drop, i, nullptr, 0));
      DragQueryFileA(drop, i, names[i].data(), static_cast<UINT>(names[i].size() + 1));
      paths.push_back(names[i].c_str());
    }
    POINT point{};
    DragQueryPoint(drop, &point);
    RECT base{0, 0, platform::kUnitsAcross, platform::kUnitsDown};  // one base unit
    MapDialogRect(dialog, &base);
    const platform::BaseUnits units{std::max<int>(base.right, 1), std::max<int>(base.bottom, 1)};
    const platform::DroppedFiles dropped{platform::DialogUnitsAcross(units, point.x),
                                         platform::DialogUnitsDown(units, point.y),
                                         static_cast<int>(count), paths.data()};
    procedure(dialog, WM_DROPFILES, 0, reinterpret_cast<LPARAM>(&dropped));
  }
  DragFinish(drop);
}

// ---- Waveform pictures ---------------------------------------------------------------

// Each owner-drawn picture's samples, by its window.
std::map<HWND, std::vector<int16_t>> waves;

// Each pixel column from its lowest to its highest sample, full scale the full height.
void DrawWave(const DRAWITEMSTRUCT& item) {
  const RECT& area = item.rcItem;
  FillRect(item.hDC, &area, GetSysColorBrush(COLOR_WINDOW));
  const auto found = waves.find(item.hwndItem);
  if (found == waves.end()) return;
  const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ previous = SelectObject(item.hDC, pen);
  const LONG height = area.bottom - area.top;
  const auto y = [&](int sample) {
    return area.top + height / 2 -
           static_cast<LONG>(sample * static_cast<double>(height - 1) / 65536);
  };
  LONG x = area.left;
  for (const WaveColumn& column :
       WaveColumns(found->second.data(), found->second.size(), area.right - area.left)) {
    MoveToEx(item.hDC, x, y(column.highest), nullptr);
    LineTo(item.hDC, x, y(column.lowest) + 1);
    ++x;
  }
  SelectObject(item.hDC, previous);
  DeleteObject(pen);
}

INT_PTR CALLBACK HostDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto procedure = reinterpret_cast<DLGPROC>(GetPropA(dialog, kProcedureProperty));
  if (procedure == nullptr) {
    procedure = startingDialog.procedure;
    SetPropA(dialog, kProcedureProperty, reinterpret_cast<HANDLE>(procedure));
    SetPropA(dialog, kTemplateProperty,
             const_cast<resources::DialogTemplate*>(startingDialog.dialog));
  }
  if (message == WM_INITDIALOG) {
    DescribeControls(dialog, *startingDialog.dialog, startingDialog.tooltips);
    if (startingDialog.dialog->acceleratorCount > 0) dialogKeys.dialog = dialog;
    // Files are dropped on the program's top window, the one dialog without an owner.
    if (GetWindow(dialog, GW_OWNER) == nullptr) DragAcceptFiles(dialog, TRUE);
  }
  if (message == WM_DROPFILES) {
    TakeDrop(dialog, reinterpret_cast<HDROP>(wParam), procedure);
    return TRUE;
  }
  if (message == WM_DESTROY) {
    ClearDescriptions(
        dialog, static_cast<const resources::DialogTemplate*>(GetPropA(dialog, kTemplateProperty)));
  }
  const INT_PTR result = procedure(dialog, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    RemovePropA(dialog, kProcedureProperty);
    RemovePropA(dialog, kTemplateProperty);
    RemovePropA(dialog, kTooltipProperty);  // the tooltip goes with the dialog that owns it
  }
  return result;
}

}  // namespace

namespace win32 {

UINT_PTR CALLBACK HostPane(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
  auto request = static_cast<const PaneRequest*>(GetPropA(pane, kProcedureProperty));
  if (message == WM_INITDIALOG) {
    request = reinterpret_cast<const PaneRequest*>(
        reinterpret_cast<const OPENFILENAMEA*>(lParam)->lCustData);
    SetPropA(pane, kProcedureProperty, const_cast<PaneRequest*>(request));
    DescribeControls(pane, *request->pane, false);
    return request->procedure(pane, WM_INITDIALOG, 0, 0);
  }
  if (request == nullptr) return FALSE;
  if (message == WM_DRAWITEM) {
    DrawWave(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  // A new selection is passed on once the chooser has no other input waiting, as a
  // timer's message comes only then: a selection passed over quickly is never read.
  constexpr UINT_PTR kSelectionTimer = 1;
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_SELCHANGE) {
    SetTimer(pane, kSelectionTimer, USER_TIMER_MINIMUM, nullptr);
    return FALSE;
  }
  if (message == WM_TIMER && wParam == kSelectionTimer) {
    KillTimer(pane, kSelectionTimer);
    const NMHDR selection{GetParent(pane), 0, CDN_SELCHANGE};
    return request->procedure(pane, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&selection));
  }
  const UINT_PTR result = request->procedure(pane, message, wParam, lParam);
  if (message == WM_DESTROY) {
    ClearDescriptions(pane, request->pane);
    for (int i = 0; i < request->pane->controlCount; ++i) {
      waves.erase(GetDlgItem(pane, request->pane->controls[i].id));
    }
    RemovePropA(pane, kProcedureProperty);
  }
  return result;
}

}  // namespace win32

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
  startingDialog = {reinterpret_cast<DLGPROC>(procedure), dialog, tooltipsReady};
  // Only the main window has keys, and it runs once: no two such dialogs nest.
  const bool hasKeys = dialog->acceleratorCount > 0;
  if (hasKeys) {
    dialogKeys = {CreateAcceleratorTable(*dialog), nullptr, nullptr};
    dialogKeys.hook =
        SetWindowsHookExA(WH_MSGFILTER, TranslateDialogKeys, nullptr, GetCurrentThreadId());
  }
  const DialogResult result = DialogBoxIndirectParamA(
      win32::moduleInstance, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
      static_cast<HWND>(owner), HostDialog, parameter);
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

// The window's own description is for screen readers alone; a control's is its
// tooltip too.
int SetControlDescription(WindowHandle dialog, int controlId, const char* text) {
  const HWND window = static_cast<HWND>(dialog);
  if (controlId != kDialogItself) SetTooltip(window, controlId, text);
  const HWND described = controlId == kDialogItself ? window : GetDlgItem(window, controlId);
  Annotate(described, PROPID_ACC_DESCRIPTION, text);
  // A screen reader says a description as it changes.
  NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, described, OBJID_CLIENT, CHILDID_SELF);
  return 1;
}

int CheckControl(WindowHandle dialog, int controlId, bool checked) {
  return CheckDlgButton(static_cast<HWND>(dialog), controlId,
                        checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsControlChecked(WindowHandle dialog, int controlId) {
  return IsDlgButtonChecked(static_cast<HWND>(dialog), controlId) == BST_CHECKED;
}

int SetControlWave(WindowHandle dialog, int controlId, const int16_t* samples, size_t count) {
  const HWND picture = GetDlgItem(static_cast<HWND>(dialog), controlId);
  if (picture == nullptr) return 0;
  waves[picture].assign(samples, samples + count);
  return InvalidateRect(picture, nullptr, TRUE);
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

}  // namespace platform
