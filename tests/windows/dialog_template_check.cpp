// Opens each dialog as the Windows dialog manager builds it from the program's template
// and reads every window and control back against that template. Run under Wine with
// a display; prints each mismatch and a closing count, and fails when any was found.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/composer.h"
#include "platform/dialogs.h"
#include "platform/win32/win32_module.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "tests/windows/check_support.h"

namespace {

using resources::ControlClass;
using resources::ControlTemplate;
using resources::DialogTemplate;

constexpr platform::DialogResult kCheckedResult = 0x5A17;
constexpr int kTextCapacity = 256;
constexpr int kMissingTemplateId = 102;

std::string WindowText(HWND window) {
  char text[kTextCapacity] = "";
  GetWindowTextA(window, text, kTextCapacity);
  return text;
}

const char* ClassName(ControlClass controlClass) {
  switch (controlClass) {
    case ControlClass::Button:
      return "Button";
    case ControlClass::Edit:
      return "Edit";
    case ControlClass::Static:
      break;
  }
  return "Static";
}

// Each field converted on its own, so that positions and sizes round as the dialog
// manager rounds them when it places a control.
RECT ToPixels(HWND dialog, int x, int y, int width, int height) {
  RECT units{x, y, width, height};
  MapDialogRect(dialog, &units);
  return units;
}

// The window's rectangle in the dialog's client coordinates.
RECT PlacementIn(HWND dialog, HWND window) {
  RECT rectangle;
  GetWindowRect(window, &rectangle);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rectangle), 2);
  return rectangle;
}

void CheckFont(HWND dialog, const DialogTemplate& expected) {
  LOGFONTA font{};
  const auto handle = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  check::Expect(handle != nullptr && GetObjectA(handle, sizeof font, &font) == sizeof font,
         "%d: the dialog has the template's font", expected.id);
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(expected.pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  check::Expect(std::string(font.lfFaceName) == expected.fontName && font.lfHeight == height,
         "%d: font \"%s\" height %ld, expected \"%s\" height %d", expected.id, font.lfFaceName,
         font.lfHeight, expected.fontName, height);
  if (expected.extendedStyle != 0) {
    check::Expect(font.lfWeight == FW_NORMAL && !font.lfItalic && font.lfCharSet == DEFAULT_CHARSET,
           "%d: font weight %ld italic %d charset %d", expected.id, font.lfWeight,
           font.lfItalic, font.lfCharSet);
  }
}

void CheckWindow(HWND dialog, const DialogTemplate& expected) {
  check::Expect(WindowText(dialog) == expected.caption, "%d: caption \"%s\"", expected.id,
         WindowText(dialog).c_str());
  // Every top-level window clips its siblings, and the dialog manager draws every
  // dialog in 3D: both bits are added to the template's style.
  const auto style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  check::Expect((style & ~(WS_CLIPSIBLINGS | DS_3DLOOK)) == expected.style,
         "%d: style %08lx, expected %08x", expected.id, style, expected.style);
  const auto extendedStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
  check::Expect((extendedStyle & WS_EX_TOOLWINDOW) == (expected.extendedStyle & WS_EX_TOOLWINDOW) &&
             (extendedStyle & expected.extendedStyle) == expected.extendedStyle,
         "%d: extended style %08lx, expected %08x", expected.id, extendedStyle,
         expected.extendedStyle);
  const RECT size = ToPixels(dialog, 0, 0, expected.width, expected.height);
  RECT client;
  GetClientRect(dialog, &client);
  check::Expect(client.right == size.right && client.bottom == size.bottom,
         "%d: client area %ldx%ld, expected %ldx%ld", expected.id, client.right, client.bottom,
         size.right, size.bottom);
  CheckFont(dialog, expected);
}

void CheckControl(HWND dialog, HWND window, const ControlTemplate& expected, int index) {
  char className[kTextCapacity] = "";
  GetClassNameA(window, className, kTextCapacity);
  check::Expect(lstrcmpiA(className, ClassName(expected.controlClass)) == 0,
         "control %d: class %s, expected %s", index, className,
         ClassName(expected.controlClass));
  const int id = GetDlgCtrlID(window);
  check::Expect((id & 0xFFFF) == (expected.id & 0xFFFF), "control %d: id %d, expected %d", index, id,
         expected.id);
  if (expected.id != resources::kNoControlId) {
    check::Expect(GetDlgItem(dialog, expected.id) == window, "control %d: found by id %d", index,
           expected.id);
  }
  check::Expect(WindowText(window) == expected.text, "control %d: text \"%s\", expected \"%s\"", index,
         WindowText(window).c_str(), expected.text);

  // The dialog manager draws a field's border as a sunken client edge.
  const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  const auto extendedStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  const bool borderAsEdge = expected.controlClass == ControlClass::Edit &&
                            (expected.style & WS_BORDER) && (extendedStyle & WS_EX_CLIENTEDGE) &&
                            style == (expected.style & ~WS_BORDER);
  check::Expect(style == expected.style || borderAsEdge, "control %d: style %08lx, expected %08x",
         index, style, expected.style);

  const RECT placement = PlacementIn(dialog, window);
  const RECT pixels = ToPixels(dialog, expected.x, expected.y, expected.width, expected.height);
  check::Expect(placement.left == pixels.left && placement.top == pixels.top &&
             placement.right - placement.left == pixels.right &&
             placement.bottom - placement.top == pixels.bottom,
         "control %d: at %ld,%ld size %ldx%ld, expected %ld,%ld size %ldx%ld", index,
         placement.left, placement.top, placement.right - placement.left,
         placement.bottom - placement.top, pixels.left, pixels.top, pixels.right, pixels.bottom);
}

// Children are kept in creation order, which is the template's order.
void CheckControls(HWND dialog, const DialogTemplate& expected) {
  int index = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT), ++index) {
    if (index < expected.controlCount) CheckControl(dialog, child, expected.controls[index], index);
  }
  check::Expect(index == expected.controlCount, "%d: %d controls, expected %d", expected.id, index,
         expected.controlCount);
}

void CheckDialog(HWND dialog, int templateId) {
  const DialogTemplate* expected = resources::FindDialogTemplate(templateId);
  std::printf("dialog %d \"%s\"\n", templateId, expected->caption);
  CheckWindow(dialog, *expected);
  CheckControls(dialog, *expected);
}

POINT ClientOrigin(HWND window) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return origin;
}

// An owned dialog's client area starts at its owner's, and the owner is disabled.
platform::DialogResult PLATFORM_CALLBACK CheckOwnedPreview(platform::WindowHandle window,
                                                           unsigned message, uintptr_t,
                                                           intptr_t) {
  if (message != WM_INITDIALOG) return FALSE;
  const auto dialog = static_cast<HWND>(window);
  CheckDialog(dialog, IDD_SOUND_PREVIEW);
  const HWND owner = GetWindow(dialog, GW_OWNER);
  const POINT origin = ClientOrigin(dialog);
  const POINT ownerOrigin = ClientOrigin(owner);
  check::Expect(origin.x == ownerOrigin.x && origin.y == ownerOrigin.y,
         "owned preview's client area at %ld,%ld, expected the owner's %ld,%ld", origin.x,
         origin.y, ownerOrigin.x, ownerOrigin.y);
  check::Expect(owner != nullptr && !IsWindowEnabled(owner), "the owner is disabled while it runs");
  platform::EndModalDialog(window, kCheckedResult);
  return TRUE;
}

// Checks the dialog it was opened for; the main window also opens an owned preview and
// has a label's text replaced through the seam.
platform::DialogResult PLATFORM_CALLBACK CheckProcedure(platform::WindowHandle window,
                                                        unsigned message, uintptr_t,
                                                        intptr_t parameter) {
  if (message != WM_INITDIALOG) return FALSE;
  const auto dialog = static_cast<HWND>(window);
  const auto templateId = static_cast<int>(parameter);
  CheckDialog(dialog, templateId);
  if (templateId == IDD_COMPOSER) {
    RECT frame;
    GetWindowRect(dialog, &frame);
    check::Expect(frame.left == 0 && frame.top == 0, "main window at %ld,%ld, expected 0,0",
           frame.left, frame.top);
    check::Expect(platform::SetControlText(window, kStatusLabelFirstId, "PCM") != 0 &&
               WindowText(GetDlgItem(dialog, kStatusLabelFirstId)) == "PCM",
           "a label's text replaced");
    check::Expect(platform::RunModalDialog(IDD_SOUND_PREVIEW, window, CheckOwnedPreview, 0) ==
               kCheckedResult,
           "the owned preview's result");
    check::Expect(IsWindowEnabled(dialog), "the owner is enabled again");
  }
  platform::EndModalDialog(window, kCheckedResult);
  return TRUE;
}

}  // namespace

int main() {
  check::Start();
  win32::moduleInstance = GetModuleHandleA(nullptr);
  for (int templateId : {IDD_COMPOSER, IDD_CHANNEL_PROPERTIES, IDD_SOUND_PREVIEW}) {
    check::Expect(platform::RunModalDialog(templateId, nullptr, CheckProcedure, templateId) ==
               kCheckedResult,
           "%d: the dialog ran and returned its result", templateId);
  }
  check::Expect(platform::RunModalDialog(kMissingTemplateId, nullptr, CheckProcedure,
                                         kMissingTemplateId) == -1,
         "a template that does not exist is not run");
  return check::Finish("dialog templates");
}
