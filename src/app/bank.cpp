#include "app/bank.h"

#include <cstring>

#include "app/composer.h"
#include "app/synth_file.h"
#include "channels/channel_slot.h"
#include "platform/choosers.h"
#include "platform/files.h"
#include "samples/sample_reader.h"

namespace {

// The band of each row on the main window, in dialog units: from its caption to the
// end of its "N" button, kRowHeight high, the first at kFirstRowTop.
constexpr int kRowLeft = 10;
constexpr int kRowRight = 185;
constexpr int kFirstRowTop = 20;
constexpr int kRowHeight = 10;

// Shared by every "Open" chooser of the run and never cleared.
char bankChooserBuffer[kPathCapacity];

// The row whose band holds the point, or -1.
int RowAt(int x, int y) {
  if (x < kRowLeft || x >= kRowRight || y < kFirstRowTop) return -1;
  const int row = (y - kFirstRowTop) / kRowHeight;
  return row < kRowCount ? row : -1;
}

void AttachToRow(platform::WindowHandle window, int row, const char* path) {
  kChannelRows[row].slot->Attach(path);
  ShowRowLabel(window, row, true);
}

void TellPathTooLong(platform::WindowHandle window) {
  platform::ShowMessageBox(window, platform::PathTooLongText(kPathCapacity).c_str(),
                           platform::kPathTooLongCaption, platform::kMbOk);
}

bool IsRegularFile(const char* path) {
  const int handle = platform::OpenFileForReading(path);
  if (handle < 0) return false;
  platform::CloseFile(handle);
  return true;
}

}  // namespace

int OpenBank(platform::WindowHandle window, const char* path) {
  char bank[kPathCapacity];
  // Reading no samples still reads and checks the whole Synth file.
  if (platform::MakeAbsolutePath(path, bank, kPathCapacity) != 0 || !IsSynthFileName(bank) ||
      ReadRowSamples(bank, 0, nullptr, 0, nullptr) < 0) {
    ShowError(window, "Could Not Open File.");
    return -1;
  }
  for (int row = 0; row < kRowCount; ++row) AttachToRow(window, row, bank);
  return 0;
}

void ChooseBank(platform::WindowHandle window) {
  if (RunPathChooser(window, kSynthFilter, bankChooserBuffer, "Open Synth File...",
                     platform::kOfnFileMustExist | platform::kOfnHideReadOnly, "syn") != 0) {
    OpenBank(window, bankChooserBuffer);
  }
}

void TakeDroppedFiles(platform::WindowHandle window, const platform::DroppedFiles& drop) {
  for (int i = 0; i < drop.count; ++i) {
    if (std::strlen(drop.paths[i]) >= kPathCapacity) {
      TellPathTooLong(window);
      return;
    }
  }
  for (int i = 0; i < drop.count; ++i) {
    if (!IsRegularFile(drop.paths[i])) return;
  }
  if (drop.count == 1 && IsSynthFileName(drop.paths[0])) {
    OpenBank(window, drop.paths[0]);
    return;
  }
  const int firstRow = RowAt(drop.x, drop.y);
  if (firstRow < 0) return;
  for (int i = 0; i < drop.count && firstRow + i < kRowCount; ++i) {
    AttachToRow(window, firstRow + i, drop.paths[i]);
  }
}
