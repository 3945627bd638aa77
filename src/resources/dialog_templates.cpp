#include "resources/dialog_templates.h"

#include <array>
#include <iterator>
#include <string>

#include "app/composer.h"
#include "app/control_words.h"
#include "app/file_preview/file_preview.h"
#include "resources/resource_ids.h"

namespace resources {
namespace {

using namespace platform;

constexpr uint32_t kDialogStyle = kWsPopup | kWsCaption | kWsSysMenu | kDsModalFrame | kDsSetFont;
constexpr uint32_t kButtonStyle = kWsChild | kWsVisible | kWsTabStop | kBsPushButton;
constexpr uint32_t kDefaultButtonStyle = kWsChild | kWsVisible | kWsTabStop | kBsDefPushButton;
constexpr uint32_t kTextStyle = kWsChild | kWsVisible | kWsGroup | kSsLeft;
constexpr uint32_t kCheckBoxStyle = kWsChild | kWsVisible | kWsTabStop | kBsAutoCheckBox;
constexpr uint32_t kPictureStyle = kWsChild | kWsVisible | kSsOwnerDraw;
// A pane inside another window, as a chooser's template is.
constexpr uint32_t kPaneStyle =
    kWsChild | kWsVisible | kWsClipSiblings | kDs3dLook | kDsControl | kDsSetFont;
constexpr uint32_t kReadOnlyFieldStyle =
    kWsChild | kWsVisible | kWsBorder | kWsTabStop | kEsReadOnly | kEsAutoHScroll;

constexpr const char* kFontName = "MS Sans Serif";
constexpr uint16_t kFontPoints = 8;

constexpr int kComposerControlCount = 5 * kRowCount + 4;

int16_t RowTop(int row) { return static_cast<int16_t>(20 + 10 * row); }

// The main window's accessible names, which its templates point at for the whole run.
std::array<std::string, kComposerControlCount> composerPurposes;

// Names each row control for what it does on its row.
void NameComposerControls(std::array<ControlTemplate, kComposerControlCount>& controls) {
  for (int i = 0; i < kComposerControlCount; ++i) {
    composerPurposes[i] = ControlPurpose(controls[i].id);
    if (!composerPurposes[i].empty()) controls[i].accessibleName = composerPurposes[i].c_str();
  }
}

// The templates' data stands a control a line, as a resource script has it.
// clang-format off
// The main window's controls in template order: "Exit", the row captions, the column
// headings, the "N" buttons, the "S" buttons, "Save...", the labels, the "..." buttons.
// Each row caption labels the row's status label, which starts with no sample file.
std::array<ControlTemplate, kComposerControlCount> BuildComposerControls() {
  std::array<ControlTemplate, kComposerControlCount> controls{};
  int next = 0;
  controls[next++] = {ControlClass::Button, kExitId, "Exit", 101, 105, 60, 14, kButtonStyle};
  for (int row = 0; row < kRowCount; ++row) {
    const int16_t captionWidth = row < 2 ? 55 : 60;
    controls[next++] = {ControlClass::Static, kNoControlId, kChannelRows[row].caption,
                        10, RowTop(row), captionWidth, 10, kTextStyle,
                        nullptr, nullptr, kStatusLabelFirstId + row};
  }
  controls[next++] = {ControlClass::Static, kNoControlId, "NES Sound Channel:", 10, 5, 70, 10,
                      kTextStyle};
  controls[next++] = {ControlClass::Static, kNoControlId, "Synthesis Wave:", 85, 5, 55, 10,
                      kTextStyle};
  for (int row = 0; row < kRowCount; ++row) {
    controls[next++] = {ControlClass::Button, kSynthPreviewFirstId + row, "N",
                        170, RowTop(row), 15, 10, kButtonStyle};
  }
  for (int row = 0; row < kRowCount; ++row) {
    controls[next++] = {ControlClass::Button, kSamplePreviewFirstId + row, "S",
                        150, RowTop(row), 15, 10, kButtonStyle};
  }
  controls[next++] = {ControlClass::Button, kSaveId, "Save...", 35, 105, 60, 15, kButtonStyle};
  for (int row = 0; row < kRowCount; ++row) {
    controls[next++] = {ControlClass::Static, kStatusLabelFirstId + row, kLabelWithoutFile,
                        85, RowTop(row), 30, 10, kTextStyle, nullptr, kNoSampleFile};
  }
  for (int row = 0; row < kRowCount; ++row) {
    controls[next++] = {ControlClass::Button, kPropertiesFirstId + row, "...",
                        130, RowTop(row), 15, 10, kButtonStyle};
  }
  NameComposerControls(controls);
  return controls;
}

const Accelerator kComposerAccelerators[] = {
    {kFVirtKey | kFControl, 'S', kSaveId},
    {kFVirtKey | kFControl, 'O', kOpenBankId},
};

const ControlTemplate kChannelPropertiesControls[] = {
    {ControlClass::Button, kIdOk, "OK", 75, 25, 50, 14, kDefaultButtonStyle},
    {ControlClass::Edit, IDC_PROPERTIES_FILE_NAME, "", 45, 5, 140, 10, kReadOnlyFieldStyle,
     "Path of the sample file"},
    {ControlClass::Static, kNoControlId, "File name:", 5, 5, 35, 10, kTextStyle,
     nullptr, nullptr, IDC_PROPERTIES_FILE_NAME},
    {ControlClass::Button, IDC_PROPERTIES_BROWSE, "...", 190, 5, 15, 10, kButtonStyle,
     "Choose the sample file"},
};

// The chooser's own controls stand left of the pane, which grows to hold them.
const ControlTemplate kFilePreviewControls[] = {
    {ControlClass::Static, kChooserControlsPlace, "", 0, 0, 10, 108, kTextStyle},
    {ControlClass::Static, kFilePreviewWordsId, "", 15, 5, 130, 10, kTextStyle},
    {ControlClass::Static, kFilePreviewCutId, "", 15, 15, 130, 10, kTextStyle},
    {ControlClass::Static, kFilePreviewWaveId, "", 15, 28, 130, 60, kPictureStyle,
     "Waveform of the selected file"},
    {ControlClass::Button, kFilePreviewPlayId, "Play", 15, 93, 50, 10, kCheckBoxStyle},
};

const ControlTemplate kSoundPreviewControls[] = {
    {ControlClass::Button, IDC_PREVIEW_OK, "OK", 10, 5, 40, 15, kDefaultButtonStyle},
};
// clang-format on

}  // namespace

const DialogTemplate* FindDialogTemplate(int templateId) {
  static const std::array<ControlTemplate, kComposerControlCount> composerControls =
      BuildComposerControls();
  // clang-format off
  static const DialogTemplate templates[] = {
      {IDD_COMPOSER, "Brivola Synthesis Composer", kDialogStyle, 0, kFontName, kFontPoints,
       0, 0, 202, 127, composerControls.data(), kComposerControlCount,
       kComposerAccelerators, static_cast<int>(std::size(kComposerAccelerators))},
      {IDD_CHANNEL_PROPERTIES, "Channel Properties", kDialogStyle, 0, kFontName, kFontPoints,
       0, 0, 217, 46, kChannelPropertiesControls,
       static_cast<int>(std::size(kChannelPropertiesControls))},
      {IDD_SOUND_PREVIEW, "Sound Preview", kDialogStyle, kWsExToolWindow, kFontName, kFontPoints,
       0, 0, 62, 23, kSoundPreviewControls,
       static_cast<int>(std::size(kSoundPreviewControls))},
      {kFilePreviewTemplateId, "", kPaneStyle, 0, kFontName, kFontPoints, 0, 0, 150, 108,
       kFilePreviewControls, static_cast<int>(std::size(kFilePreviewControls))},
  };
  // clang-format on
  for (const DialogTemplate& dialog : templates) {
    if (dialog.id == templateId) return &dialog;
  }
  return nullptr;
}

}  // namespace resources
