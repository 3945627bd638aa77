// Runs the open-file chooser through the comdlg32 backend (under Wine). A helper thread
// plays the user: it waits for the chooser, reads what it shows, and presses Open or
// Cancel. Prints each mismatch and a closing count.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <cstring>
#include <string>

#include "platform/choosers.h"
#include "tests/windows/check_support.h"

namespace {

constexpr uint32_t kBufferCapacity = 200;
constexpr int kWaitSteps = 600;  // of kWaitStepMilliseconds: a bound, not a measurement
constexpr DWORD kWaitStepMilliseconds = 100;
constexpr char kTitle[] = "Chooser Check";
constexpr char kFilter[] = "Synth Files(*.syn)\0*.syn\0All Files\0*.*\0";

// What the user's thread saw in the chooser, and the button it pressed.
struct User {
  int button;
  HWND chooser = nullptr;
  std::string firstFilterName;
};

DWORD WINAPI PlayUser(void* parameter) {
  auto* user = static_cast<User*>(parameter);
  for (int step = 0; step < kWaitSteps && user->chooser == nullptr; ++step) {
    Sleep(kWaitStepMilliseconds);
    user->chooser = FindWindowA(nullptr, kTitle);
  }
  if (user->chooser == nullptr) return 1;
  char name[256] = "";
  SendMessageA(GetDlgItem(user->chooser, cmb1), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(name));
  user->firstFilterName = name;
  PostMessageA(user->chooser, WM_COMMAND, user->button, 0);
  return 0;
}

// Runs the chooser with the buffer starting as given; the user presses the button.
int Choose(HWND owner, char (&buffer)[kBufferCapacity], uint32_t maxFile, int button,
           User& user) {
  platform::OpenFileRequest request{};
  request.structSize = platform::kOpenFileNameSize400;
  request.owner = owner;
  request.filter = kFilter;
  request.filterIndex = 1;
  request.file = buffer;
  request.maxFile = maxFile;
  request.title = kTitle;
  request.flags = platform::kOfnHideReadOnly;
  request.defaultExtension = "syn";
  user.button = button;
  const HANDLE thread = CreateThread(nullptr, 0, PlayUser, &user, 0, nullptr);
  const int result = platform::RunOpenFileChooser(request);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return result;
}

std::string InFolder(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

// Wine adds the default extension only when that names an existing file, so one exists.
void CheckChosen(HWND owner) {
  const std::string typed = InFolder("brivola-chooser-check");
  const std::string existing = typed + ".syn";
  CloseHandle(CreateFileA(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  char buffer[kBufferCapacity] = {};
  std::strcpy(buffer, typed.c_str());
  User user;
  const int result = Choose(owner, buffer, kBufferCapacity, IDOK, user);
  DeleteFileA(existing.c_str());
  check::Expect(user.chooser != nullptr, "the chooser opened with its title");
  check::Expect(user.firstFilterName == "Synth Files(*.syn)", "the first filter shown is \"%s\"",
         user.firstFilterName.c_str());
  check::Expect(result != 0 && buffer == existing,
         "a name without extension is chosen with the default one: \"%s\"", buffer);
}

// Whatever the path, a failed or cancelled chooser leaves the buffer as it was.
void CheckUnchanged(HWND owner, uint32_t maxFile, int button, const char* what) {
  char buffer[kBufferCapacity] = {};
  std::strcpy(buffer, InFolder("a-path-longer-than-twenty-characters.syn").c_str());
  char before[kBufferCapacity];
  std::memcpy(before, buffer, kBufferCapacity);
  User user;
  const int result = Choose(owner, buffer, maxFile, button, user);
  check::Expect(user.chooser != nullptr && result == 0, "%s: the chooser fails", what);
  check::Expect(std::memcmp(before, buffer, kBufferCapacity) == 0, "%s: the buffer is unchanged", what);
}

}  // namespace

int main() {
  check::Start();
  const HWND owner = CreateWindowExA(0, "STATIC", "chooser owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
  CheckChosen(owner);
  CheckUnchanged(owner, 20, IDOK, "a path too long for the buffer");
  CheckUnchanged(owner, kBufferCapacity, IDCANCEL, "cancel");
  DestroyWindow(owner);
  return check::Finish("chooser");
}
