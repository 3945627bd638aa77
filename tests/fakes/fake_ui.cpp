// The dialog manager and the chooser, scripted.
#include <cstring>
#include <deque>
#include <memory>

#include "fakes.h"
#include "platform/choosers.h"
#include "platform/dialogs.h"
#include "resources/resource_ids.h"

namespace fake {
namespace {

std::vector<std::unique_ptr<Window>> windows;
std::map<int, std::deque<std::function<void(Window&)>>> scripts;
std::deque<std::optional<std::string>> answers;
std::string selection;

const int cleared = OnReset([] {
  windows.clear();
  scripts.clear();
  answers.clear();
  selection.clear();
});

// A window by its template id, "none" for no window.
std::string Named(platform::WindowHandle handle) {
  return handle ? std::to_string(static_cast<Window*>(handle)->templateId) : "none";
}

}  // namespace

void Script(int templateId, std::function<void(Window&)> script) {
  scripts[templateId].push_back(script);
}

platform::DialogResult Send(Window& window, unsigned message, uintptr_t wParam, intptr_t lParam) {
  return window.procedure(&window, message, wParam, lParam);
}

platform::DialogResult Click(Window& window, int controlId) {
  return Send(window, platform::kWmCommand, static_cast<uintptr_t>(controlId));
}

void Choose(std::optional<std::string> path) { answers.push_back(path); }

void Select(Window& pane, const std::string& path) {
  selection = path;
  const platform::NotifyHeader notice{&pane, 0, platform::kCdnSelChange};
  Send(pane, platform::kWmNotify, 0, reinterpret_cast<intptr_t>(&notice));
}

// The window of a dialog procedure, run until the script ends.
Window& Open(int templateId, platform::DialogProcedure procedure, intptr_t parameter) {
  windows.push_back(std::make_unique<Window>(Window{templateId, procedure, {}, {}, {}, {}, {}}));
  Window& window = *windows.back();
  procedure(&window, platform::kWmInitDialog, 0, parameter);
  return window;
}

// Runs the next script of the window's template; false when there is none.
bool RunScript(Window& window) {
  auto& queued = scripts[window.templateId];
  if (queued.empty()) return false;
  const auto script = queued.front();
  queued.pop_front();
  script(window);
  return true;
}

}  // namespace fake

namespace platform {

DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t parameter) {
  fake::Call("RunModalDialog", templateId, fake::Named(owner));
  fake::Window& window = fake::Open(templateId, procedure, parameter);
  if (!fake::RunScript(window)) {
    fake::Click(window, templateId == IDD_SOUND_PREVIEW ? IDC_PREVIEW_OK : kIdOk);
  }
  return window.endResult.value_or(-1);
}

int EndModalDialog(WindowHandle dialog, DialogResult result) {
  auto& window = *static_cast<fake::Window*>(dialog);
  fake::Call("EndDialog", window.templateId, result);
  if (window.endResult) return 0;
  window.endResult = result;
  return 1;
}

int SetControlText(WindowHandle dialog, int controlId, const char* text) {
  static_cast<fake::Window*>(dialog)->texts[controlId] = text;
  return 1;
}

int SetControlDescription(WindowHandle dialog, int controlId, const char* text) {
  static_cast<fake::Window*>(dialog)->descriptions[controlId] = text;
  return 1;
}

int CheckControl(WindowHandle dialog, int controlId, bool checked) {
  static_cast<fake::Window*>(dialog)->checked[controlId] = checked;
  return 1;
}

bool IsControlChecked(WindowHandle dialog, int controlId) {
  return static_cast<fake::Window*>(dialog)->checked[controlId];
}

int SetControlWave(WindowHandle dialog, int controlId, const int16_t* samples, size_t count) {
  static_cast<fake::Window*>(dialog)->waves[controlId].assign(samples, samples + count);
  return 1;
}

int GetChooserSelection(WindowHandle, char* path, uint32_t capacity) {
  if (fake::selection.empty()) return -1;
  const auto length = static_cast<uint32_t>(fake::selection.size() + 1);
  if (length <= capacity) std::memcpy(path, fake::selection.c_str(), length);
  return static_cast<int>(length);
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  fake::Call("MessageBox", fake::Named(owner), text, caption, style);
  return kIdOk;
}

// Logs the request's fields, the filter's parts joined by '|'.
int RunOpenFileChooser(OpenFileRequest& request) {
  std::string filter;
  for (const char* part = request.filter; *part; part += std::strlen(part) + 1)
    filter += part + std::string("|");
  fake::Call("Chooser", fake::Named(request.owner), request.structSize, filter, request.filterIndex,
             request.maxFile, request.title, request.flags, request.defaultExtension,
             "[" + std::string(request.file) + "]", request.templateId);
  if (request.flags & kOfnEnableHook) {
    fake::Window& pane = fake::Open(request.templateId, request.hook, 0);
    fake::RunScript(pane);
    fake::Send(pane, kWmDestroy);
  }
  const std::optional<std::string> answer =
      fake::answers.empty() ? std::nullopt : fake::answers.front();
  if (!fake::answers.empty()) fake::answers.pop_front();
  if (!answer || answer->size() >= request.maxFile) return 0;
  std::memcpy(request.file, answer->c_str(), answer->size() + 1);
  return 1;
}

}  // namespace platform
