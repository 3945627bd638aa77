#include "app/composer.h"

#include "app/bank.h"
#include "app/control_words.h"
#include "app/synth_file.h"
#include "channels/channel_slot.h"
#include "platform/dialogs.h"
#include "preview/sound_preview.h"
#include "resources/resource_ids.h"

int32_t currentWaveKind;
ChannelSlot* activeSlot;

// One row a line, as on the window.
// clang-format off
const ChannelRow kChannelRows[kRowCount] = {
    {kRowCaptions[0], Pulse125, &pulseSlots[0]},
    {kRowCaptions[1], Pulse25, &pulseSlots[1]},
    {kRowCaptions[2], Pulse50, &pulseSlots[2]},
    {kRowCaptions[3], Pulse75, &pulseSlots[3]},
    {kRowCaptions[4], Triangle, &triangleSlot},
    {kRowCaptions[5], Noise, &noiseSlots[0]},
    {kRowCaptions[6], LoopedNoise, &noiseSlots[1]},
};
// clang-format on

namespace {

bool InBlock(int command, int firstId) {
  return command >= firstId && command < firstId + kRowCount;
}

void CarryOutCommand(platform::WindowHandle window, int command) {
  if (InBlock(command, kSynthPreviewFirstId)) {
    currentWaveKind = kChannelRows[command - kSynthPreviewFirstId].waveKind;
    PreviewSynth(window);
  } else if (InBlock(command, kSamplePreviewFirstId)) {
    kChannelRows[command - kSamplePreviewFirstId].slot->PreviewSample(window);
  } else if (command == kSaveId) {
    if (SaveSynthFile(window) < 0) ShowError(window, "Could Not Save File.");
  } else if (command == kExitId) {
    platform::EndModalDialog(window, 0);
  } else if (command == kOpenBankId) {
    ChooseBank(window);
  } else if (InBlock(command, kPropertiesFirstId)) {
    const int row = command - kPropertiesFirstId;
    ShowRowLabel(window, row, kChannelRows[row].slot->ShowProperties(window) != 0);
  }
  // The status labels and every other command have no action.
}

}  // namespace

platform::DialogResult PLATFORM_CALLBACK DispatchCommand(platform::WindowHandle window,
                                                         unsigned message, uintptr_t wParam,
                                                         intptr_t lParam) {
  using namespace platform;
  switch (message) {
    case kWmInitDialog:
      // The labels show "-" unless a bank was given; the focus goes where it would.
      if (lParam != 0) OpenBank(window, reinterpret_cast<const char*>(lParam));
      return kFalse;
    case kWmClose:
      EndModalDialog(window, 0);
      return kTrue;
    case kWmCommand:
      CarryOutCommand(window, CommandId(wParam));
      return kTrue;
    case kWmDropFiles:
      if (lParam == 0) return kFalse;
      TakeDroppedFiles(window, *reinterpret_cast<const DroppedFiles*>(lParam));
      return kTrue;
    default:
      return kFalse;
  }
}

void ShowRowLabel(platform::WindowHandle window, int row, bool hasFile) {
  platform::SetControlText(window, kStatusLabelFirstId + row,
                           hasFile ? kLabelWithFile : kLabelWithoutFile);
  platform::SetControlDescription(window, kStatusLabelFirstId + row,
                                  SampleFileDescription(row).c_str());
}

void ShowError(platform::WindowHandle window, const char* text) {
  platform::ShowMessageBox(window, text, "Error", platform::kMbOk | platform::kMbIconInformation);
}

int RunComposer(const char* bankPath) {
  return static_cast<int>(platform::RunModalDialog(IDD_COMPOSER, nullptr, DispatchCommand,
                                                   reinterpret_cast<intptr_t>(bankPath)));
}
