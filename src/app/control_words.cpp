#include "app/control_words.h"

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "samples/sample_reader.h"

namespace {

// Each block of seven controls, one a row, and what its controls are for.
struct ControlBlock {
  int firstId;
  const char* purpose;  // the row's caption follows
};

constexpr ControlBlock kControlBlocks[] = {
    {kSynthPreviewFirstId, "Play the built-in "},
    {kSamplePreviewFirstId, "Play the sample of "},
    {kStatusLabelFirstId, "Sample file of "},
    {kPropertiesFirstId, "Choose the sample of "},
};

}  // namespace

std::string ControlPurpose(int controlId) {
  for (const ControlBlock& block : kControlBlocks) {
    const int row = controlId - block.firstId;
    if (row >= 0 && row < kRowCount) return block.purpose + std::string(kChannelRows[row].caption);
  }
  return "";
}

std::string SampleFileDescription(int row) {
  const char* path = kChannelRows[row].slot->FileName();
  if (path[0] == '\0') return kNoSampleFile;
  if (!IsSynthFileName(path)) return path;
  // A row reads its own block of a Synth file; blocks count from 1, as users do.
  return std::string(path) + ", block " + std::to_string(row + 1) + " (" +
         kChannelRows[row].caption + ")";
}

std::string PreviewDescription() {
  for (const ChannelRow& row : kChannelRows) {
    if (activeSlot != nullptr && row.slot == activeSlot) {
      return std::string("Plays the sample of ") + row.caption;
    }
    if (activeSlot == nullptr && row.waveKind == currentWaveKind) {
      return std::string("Plays the built-in ") + row.caption;
    }
  }
  return "";
}
