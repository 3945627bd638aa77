#include "channels/channel_slot.h"

#include <cstring>

#include "app/composer.h"
#include "app/file_preview/file_preview.h"
#include "platform/choosers.h"
#include "platform/dialogs.h"
#include "preview/sound_preview.h"
#include "resources/resource_ids.h"
#include "samples/sample_reader.h"

ChannelSlot pulseSlots[4];
ChannelSlot triangleSlot;
ChannelSlot noiseSlots[2];

namespace {

// Shared by every slot's chooser and never cleared, so each chooser opens with the
// last path chosen for any slot.
char chooserBuffer[kPathCapacity];

// Raw samples first, then what else a row can take: sound files, a Synth file's block for
// the row, any file.
constexpr char kSampleFilter[] =
    "PCM Wave Format\0*.pcm\0"
    "Sound Files\0*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3;*.aif;*.aiff;*.aifc;*.caf;*.w64;*.rf64;"
    "*.au;*.snd\0"
    "Synth Files(*.syn)\0*.syn\0All Files\0*.*\0";

// OK and the close box end the window with the first byte of the slot's file name.
void EndChannelProperties(platform::WindowHandle window) {
  platform::EndModalDialog(window, static_cast<unsigned char>(activeSlot->FileName()[0]));
}

}  // namespace

int RunPathChooser(platform::WindowHandle owner, const char* filter, char* path, const char* title,
                   uint32_t flags, const char* defaultExtension, platform::DialogProcedure hook,
                   int templateId) {
  platform::OpenFileRequest request{};
  request.structSize = platform::kOpenFileNameSize400;
  request.owner = owner;
  request.filter = filter;
  request.filterIndex = 1;
  request.file = path;
  request.maxFile = kPathCapacity;
  request.title = title;
  request.flags = flags;
  request.defaultExtension = defaultExtension;
  request.hook = hook;
  request.templateId = templateId;
  return platform::RunOpenFileChooser(request);
}

ChannelSlot::ChannelSlot() : fileName{} {}

const char* ChannelSlot::FileName() const { return fileName; }

void ChannelSlot::Attach(const char* path) {
  std::memset(fileName, 0, kPathCapacity);
  std::memcpy(fileName, path, std::strlen(path));
}

int ChannelSlot::ChooseFile(platform::WindowHandle owner) {
  using namespace platform;
  filePreviewRow = Row();
  if (RunPathChooser(
          owner, kSampleFilter, chooserBuffer, "Open Wave...",
          kOfnFileMustExist | kOfnHideReadOnly | kOfnExplorer | kOfnEnableHook | kOfnEnableTemplate,
          "pcm", FilePreviewProcedure, kFilePreviewTemplateId) != 0) {
    std::memcpy(fileName, chooserBuffer, kPathCapacity);
    return 0;
  }
  std::memset(fileName, 0, kPathCapacity);
  return -1;
}

platform::DialogResult ChannelSlot::ShowProperties(platform::WindowHandle owner) {
  activeSlot = this;
  const platform::DialogResult result =
      platform::RunModalDialog(IDD_CHANNEL_PROPERTIES, owner, ChannelPropertiesProcedure, 0);
  activeSlot = nullptr;
  return result;
}

int ChannelSlot::PreviewSample(platform::WindowHandle owner) {
  activeSlot = this;
  platform::RunModalDialog(IDD_SOUND_PREVIEW, owner, SoundPreviewProcedure, 0);
  return 0;
}

int ChannelSlot::Row() const {
  int row = 0;
  while (row < kRowCount && kChannelRows[row].slot != this) ++row;
  return row;
}

int ChannelSlot::ReadSamples(void* region, uint32_t byteCount) {
  return ReadRowSamples(fileName, Row(), region, byteCount, nullptr) < 0 ? -1 : 0;
}

platform::DialogResult PLATFORM_CALLBACK ChannelPropertiesProcedure(platform::WindowHandle window,
                                                                    unsigned message,
                                                                    uintptr_t wParam, intptr_t) {
  using namespace platform;
  switch (message) {
    case kWmInitDialog:
      SetControlText(window, IDC_PROPERTIES_FILE_NAME, activeSlot->FileName());
      return kTrue;
    case kWmCommand:
      switch (CommandId(wParam)) {
        case IDC_PROPERTIES_BROWSE:
          // Modal to this window: neither it nor the main window takes input until
          // the chooser returns, so the result and activeSlot stay consistent.
          activeSlot->ChooseFile(window);
          SetControlText(window, IDC_PROPERTIES_FILE_NAME, activeSlot->FileName());
          return kTrue;
        case kIdOk:
          EndChannelProperties(window);
          return kTrue;
        default:
          return kFalse;  // Escape's cancel command included: the window stays open
      }
    case kWmClose:
      EndChannelProperties(window);
      return kTrue;
    default:
      return kFalse;
  }
}
