#include "preview/sound_preview.h"

#include "app/composer.h"
#include "app/control_words.h"
#include "channels/channel_slot.h"
#include "platform/dialogs.h"
#include "resources/resource_ids.h"
#include "synth/wave_generators.h"

namespace {

void FillFromSource(void* region, uint32_t length) {
  if (activeSlot != nullptr) {
    activeSlot->ReadSamples(region, length);
    return;
  }
  GenerateWave(currentWaveKind, region, length);
}

}  // namespace

int StartPreview(platform::WindowHandle window) { return StartPreview(window, FillFromSource); }

platform::DialogResult PLATFORM_CALLBACK SoundPreviewProcedure(platform::WindowHandle window,
                                                               unsigned message, uintptr_t wParam,
                                                               intptr_t) {
  using namespace platform;
  switch (message) {
    case kWmInitDialog:
      SetControlDescription(window, kDialogItself, PreviewDescription().c_str());
      StartPreview(window);
      return kTrue;
    case kWmCommand:
      // Only OK ends the preview: the close box and Escape arrive as command 2.
      if (CommandId(wParam) == IDC_PREVIEW_OK) {
        StopPreview();
        EndModalDialog(window, 0);
      }
      return kTrue;
    default:
      return kFalse;
  }
}

int PreviewSynth(platform::WindowHandle owner) {
  activeSlot = nullptr;
  platform::RunModalDialog(IDD_SOUND_PREVIEW, owner, SoundPreviewProcedure, 0);
  return 0;
}
