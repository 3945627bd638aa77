#include <deque>
#include <memory>

#include <gtest/gtest.h>

#include "fakes.h"
#include "platform/dialogs.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace fake {
namespace {

std::vector<std::unique_ptr<Window>> windows;
std::vector<Window*> dialogOrder;
std::map<int, std::deque<DialogScript>> scripts;
std::vector<MessageBoxRecord> messageBoxes;

Window& AsWindow(platform::WindowHandle handle) { return *static_cast<Window*>(handle); }

// What the user does when a test scripted nothing: the button that ends the window.
void DefaultScript(Window& window) {
  if (window.templateId == IDD_SOUND_PREVIEW) Click(window, IDC_PREVIEW_OK);
  if (window.templateId == IDD_CHANNEL_PROPERTIES) Click(window, platform::kIdOk);
}

}  // namespace

void Script(int templateId, DialogScript script) { scripts[templateId].push_back(std::move(script)); }

platform::DialogResult Send(Window& window, unsigned message, uintptr_t wParam, intptr_t lParam) {
  return window.procedure(&window, message, wParam, lParam);
}

platform::DialogResult Click(Window& window, int controlId) {
  return Send(window, platform::kWmCommand, static_cast<uintptr_t>(controlId));
}

void PressCloseBox(Window& window) {
  if (Send(window, platform::kWmClose) == platform::kFalse) PressEscape(window);
}

void PressEscape(Window& window) { Click(window, platform::kIdCancel); }

const std::vector<Window*>& Dialogs() { return dialogOrder; }

std::string ControlText(const Window& window, int controlId) {
  const auto set = window.texts.find(controlId);
  if (set != window.texts.end()) return set->second;
  const resources::DialogTemplate* dialog = resources::FindDialogTemplate(window.templateId);
  for (int i = 0; i < dialog->controlCount; ++i) {
    if (dialog->controls[i].id == controlId) return dialog->controls[i].text;
  }
  ADD_FAILURE() << "no control " << controlId << " in template " << window.templateId;
  return {};
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return messageBoxes; }

void ResetDialogs() {
  windows.clear();
  dialogOrder.clear();
  scripts.clear();
  messageBoxes.clear();
}

}  // namespace fake

namespace platform {

DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t parameter) {
  if (resources::FindDialogTemplate(templateId) == nullptr) return -1;
  auto* ownerWindow = static_cast<fake::Window*>(owner);
  fake::windows.push_back(std::make_unique<fake::Window>(
      fake::Window{templateId, ownerWindow, procedure, {}, true, std::nullopt}));
  fake::Window& window = *fake::windows.back();
  fake::dialogOrder.push_back(&window);

  fake::Send(window, kWmInitDialog, 0, parameter);
  fake::DialogScript script = fake::DefaultScript;
  auto queued = fake::scripts.find(templateId);
  if (queued != fake::scripts.end() && !queued->second.empty()) {
    script = std::move(queued->second.front());
    queued->second.pop_front();
  }
  script(window);

  window.running = false;
  if (!window.endResult) {
    ADD_FAILURE() << "dialog " << templateId << " was left open by its script";
    return -1;
  }
  return *window.endResult;
}

int EndModalDialog(WindowHandle dialog, DialogResult result) {
  fake::Window& window = fake::AsWindow(dialog);
  if (!window.running || window.endResult) return 0;
  window.endResult = result;
  return 1;
}

int SetControlText(WindowHandle dialog, int controlId, const char* text) {
  fake::AsWindow(dialog).texts[controlId] = text;
  return 1;
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  fake::messageBoxes.push_back({static_cast<fake::Window*>(owner), text, caption, style});
  return kIdOk;
}

}  // namespace platform
