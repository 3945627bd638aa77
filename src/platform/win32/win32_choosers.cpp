// The chooser seam over comdlg32's open-file dialog.
#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/choosers.h"
#include "platform/win32/dialog_template_builder.h"
#include "platform/win32/win32_panes.h"

namespace platform {
namespace {

// OPENFILENAME_SIZE_VERSION_400A as a constant: the record without its later fields.
constexpr DWORD kRecordSize400 = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);

#ifndef _WIN64
static_assert(kRecordSize400 == kOpenFileNameSize400,
              "the program's record size is the 32-bit layout's");
#endif

// Room for any path the dialog can return. A path too long for the caller's buffer
// must leave that buffer as it was, but the dialog cannot be trusted with it: Windows
// writes the length needed over the buffer's first bytes, and Wine cuts the path short
// and reports success. So the dialog fills this one, and the length is checked here.
constexpr DWORD kWorkingPathCapacity = 32768;

// The program asks by the 32-bit layout's size; other targets lay the same record
// out with wider pointers.
DWORD TargetRecordSize(uint32_t requested) {
  return requested == kOpenFileNameSize400 ? kRecordSize400 : requested;
}

// Tells the user, over the chooser's owner, that the path chosen does not fit.
void TellPathTooLong(const platform::OpenFileRequest& request) {
  MessageBoxA(static_cast<HWND>(request.owner), platform::PathTooLongText(request.maxFile).c_str(),
              platform::kPathTooLongCaption, MB_OK);
}

}  // namespace

int GetChooserSelection(WindowHandle pane, char* path, uint32_t capacity) {
  const LRESULT length = SendMessageA(GetParent(static_cast<HWND>(pane)), CDM_GETFILEPATH, capacity,
                                      reinterpret_cast<LPARAM>(path));
  return length > 0 ? static_cast<int>(length) : -1;
}

int RunOpenFileChooser(OpenFileRequest& request) {
  std::vector<char> path(kWorkingPathCapacity, '\0');
  std::memcpy(path.data(), request.file,
              strnlen(request.file, std::min<size_t>(request.maxFile, kWorkingPathCapacity - 1)));

  OPENFILENAMEA record{};
  record.lStructSize = TargetRecordSize(request.structSize);
  record.hwndOwner = static_cast<HWND>(request.owner);
  record.lpstrFilter = request.filter;
  record.nFilterIndex = request.filterIndex;
  record.lpstrFile = path.data();
  record.nMaxFile = kWorkingPathCapacity;
  record.lpstrTitle = request.title;
  record.Flags = request.flags;
  record.lpstrDefExt = request.defaultExtension;
  // The pane's template is made in memory, as the program's dialogs are.
  const resources::DialogTemplate* paneTemplate = resources::FindDialogTemplate(request.templateId);
  std::vector<WORD> pane;
  win32::PaneRequest paneRequest{request.hook, paneTemplate};
  if ((request.flags & OFN_ENABLEHOOK) && (request.flags & OFN_ENABLETEMPLATE) &&
      paneTemplate != nullptr && request.hook != nullptr) {
    pane = win32::BuildDialogTemplate(*paneTemplate);
    record.Flags = (request.flags & ~OFN_ENABLETEMPLATE) | OFN_ENABLETEMPLATEHANDLE;
    record.hInstance = reinterpret_cast<HINSTANCE>(pane.data());
    record.lpfnHook = win32::HostPane;
    record.lCustData = reinterpret_cast<LPARAM>(&paneRequest);
  } else {
    record.Flags &= ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
  }
  for (;;) {
    const BOOL chosen = GetOpenFileNameA(&record);
    if (!chosen) return 0;
    const size_t length = std::strlen(path.data());
    if (length < request.maxFile) {
      std::memcpy(request.file, path.data(), length + 1);
      return chosen;
    }
    TellPathTooLong(request);
  }
}

}  // namespace platform
