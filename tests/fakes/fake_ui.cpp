// The dialog manager and the chooser, scripted.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>

#include "fakes.h"
#include "platform/choosers.h"
#include "platform/dialogs.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace fake {
namespace {

std::vector<std::unique_ptr<Window>> windows;
std::map<int, std::deque<DialogScript>> scripts;
std::deque<std::optional<std::string>> answers;

const int cleared = OnReset([] {
  windows.clear();
  scripts.clear();
  answers.clear();
});

Window& AsWindow(platform::WindowHandle handle) { return *static_cast<Window*>(handle); }

std::string TemplateOf(platform::WindowHandle handle) {
  return handle != nullptr ? std::to_string(AsWindow(handle).templateId) : "none";
}

void PressOk(Window& window) {
  Click(window, window.templateId == IDD_SOUND_PREVIEW ? IDC_PREVIEW_OK : platform::kIdOk);
}

std::string Filter(const char* filter) {
  std::string parts;
  for (const char* part = filter; *part != '\0'; part += std::strlen(part) + 1) {
    parts += std::string(part) + "|";
  }
  return parts;
}

}  // namespace

void Script(int templateId, DialogScript script) { scripts[templateId].push_back(script); }

platform::DialogResult Send(Window& window, unsigned message, uintptr_t wParam) {
  return window.procedure(&window, message, wParam, 0);
}

platform::DialogResult Click(Window& window, int controlId) {
  return Send(window, platform::kWmCommand, static_cast<uintptr_t>(controlId));
}

std::string ControlText(const Window& window, int controlId) {
  const auto set = window.texts.find(controlId);
  if (set != window.texts.end()) return set->second;
  const resources::DialogTemplate* dialog = resources::FindDialogTemplate(window.templateId);
  for (int i = 0; i < dialog->controlCount; ++i) {
    if (dialog->controls[i].id == controlId) return dialog->controls[i].text;
  }
  return "<no control " + std::to_string(controlId) + ">";
}

void Choose(std::optional<std::string> path) { answers.push_back(path); }

}  // namespace fake

namespace platform {

DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t) {
  fake::Log().push_back("RunModalDialog " + std::to_string(templateId) + " owner " +
                        fake::TemplateOf(owner));
  fake::windows.push_back(std::make_unique<fake::Window>(
      fake::Window{templateId, static_cast<fake::Window*>(owner), procedure, {}, {}}));
  fake::Window& window = *fake::windows.back();
  fake::Send(window, kWmInitDialog);
  auto& queued = fake::scripts[templateId];
  if (queued.empty()) {
    fake::PressOk(window);
  } else {
    const fake::DialogScript script = queued.front();
    queued.pop_front();
    script(window);
  }
  if (!window.endResult) ADD_FAILURE() << "dialog " << templateId << " left open";
  return window.endResult.value_or(-1);
}

int EndModalDialog(WindowHandle dialog, DialogResult result) {
  fake::Window& window = fake::AsWindow(dialog);
  fake::Log().push_back("EndDialog " + std::to_string(window.templateId) + " " +
                        std::to_string(result));
  if (window.endResult) return 0;
  window.endResult = result;
  return 1;
}

int SetControlText(WindowHandle dialog, int controlId, const char* text) {
  fake::AsWindow(dialog).texts[controlId] = text;
  return 1;
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  fake::Log().push_back("MessageBox " + fake::TemplateOf(owner) + " " + text + "|" + caption + "|" +
                        std::to_string(style));
  return kIdOk;
}

int RunOpenFileChooser(OpenFileRequest& request) {
  fake::Log().push_back(
      "Chooser " + fake::TemplateOf(request.owner) + " " + std::to_string(request.structSize) +
      " " + fake::Filter(request.filter) + std::to_string(request.filterIndex) + " " +
      std::to_string(request.maxFile) + " " + request.title + " " + std::to_string(request.flags) +
      " " + request.defaultExtension + " [" + request.file + "]");
  if (fake::answers.empty()) {
    ADD_FAILURE() << "an unexpected chooser";
    return 0;
  }
  const std::optional<std::string> answer = fake::answers.front();
  fake::answers.pop_front();
  if (!answer || answer->size() >= request.maxFile) return 0;
  std::memcpy(request.file, answer->c_str(), answer->size() + 1);
  return 1;
}

}  // namespace platform
