#include "app/synth_file.h"

#include "app/composer.h"
#include "channels/channel_slot.h"

namespace {

// The last target, kept for the next save's chooser.
char savePath[kPathCapacity];

int ChooseTarget(platform::WindowHandle owner) {
  // OFN_HIDEREADONLY alone: a file that does not exist yet may be named.
  return RunPathChooser(owner, kSynthFilter, savePath, "Synth File...", platform::kOfnHideReadOnly,
                        "syn");
}

}  // namespace

int SaveSynthFile(platform::WindowHandle owner) {
  if (ChooseTarget(owner) == 0) return 2;
  const char* samplePaths[kRowCount];
  for (int row = 0; row < kRowCount; ++row) samplePaths[row] = kChannelRows[row].slot->FileName();
  return WriteSynthFile(samplePaths, savePath, nullptr);
}
