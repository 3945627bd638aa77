#include <gtest/gtest.h>

#include "app/composer.h"
#include "channels/channel_slot.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

class Dispatch : public ComposerTest {};

// The dialogs opened since the main window, by template id.
std::vector<int> DialogsAfterMain() {
  std::vector<int> ids;
  for (size_t i = 1; i < fake::Dialogs().size(); ++i) ids.push_back(fake::Dialogs()[i]->templateId);
  return ids;
}

}  // namespace

TEST_F(Dispatch, SynthesizedPreviewButtonsPlayTheirRowsWave) {
  for (int row = 0; row < kRowCount; ++row) {
    fake::Reset();
    ChannelSlot* slotDuringPreview = &triangleSlot;
    fake::Script(IDD_SOUND_PREVIEW, [&](fake::Window& preview) {
      slotDuringPreview = activeSlot;
      fake::Click(preview, IDC_PREVIEW_OK);
    });
    fake::Window* main = nullptr;
    RunMainWindow([&](fake::Window& window) {
      main = &window;
      EXPECT_EQ(fake::Click(window, kSynthPreviewFirstId + row), platform::kTrue);
    });
    EXPECT_EQ(currentWaveKind, row) << "the wave kind stays after the preview";
    EXPECT_EQ(slotDuringPreview, nullptr);
    ASSERT_EQ(DialogsAfterMain(), std::vector<int>{IDD_SOUND_PREVIEW}) << "row " << row;
    EXPECT_EQ(fake::Dialogs()[1]->owner, main);
    ASSERT_EQ(fake::PlayedSounds().size(), 1u);
  }
}

TEST_F(Dispatch, SamplePreviewAndPropertiesButtonsWorkOnTheirRowsSlot) {
  ChannelSlot* const slots[kRowCount] = {&pulseSlots[0], &pulseSlots[1], &pulseSlots[2],
                                         &pulseSlots[3], &triangleSlot,  &noiseSlots[0],
                                         &noiseSlots[1]};
  for (int row = 0; row < kRowCount; ++row) {
    fake::Reset();
    ChannelSlot* previewed = nullptr;
    ChannelSlot* edited = nullptr;
    fake::Script(IDD_SOUND_PREVIEW, [&](fake::Window& preview) {
      previewed = activeSlot;
      fake::Click(preview, IDC_PREVIEW_OK);
    });
    fake::Script(IDD_CHANNEL_PROPERTIES, [&](fake::Window& properties) {
      edited = activeSlot;
      fake::Click(properties, platform::kIdOk);
    });
    RunMainWindow([&](fake::Window& main) {
      fake::Click(main, kSamplePreviewFirstId + row);
      fake::Click(main, kPropertiesFirstId + row);
    });
    EXPECT_EQ(previewed, slots[row]) << "row " << row;
    EXPECT_EQ(edited, slots[row]) << "row " << row;
    EXPECT_EQ(DialogsAfterMain(), (std::vector<int>{IDD_SOUND_PREVIEW, IDD_CHANNEL_PROPERTIES}));
  }
}

TEST_F(Dispatch, CommandsWithoutActionAnswerTrueAndDoNothing) {
  RunMainWindow([](fake::Window& main) {
    for (int command : {0, platform::kIdOk, platform::kIdCancel, 999, 1016, 1019, 1022, 1030,
                        0xFFFF}) {
      EXPECT_EQ(fake::Click(main, command), platform::kTrue) << command;
      EXPECT_TRUE(main.running && !main.endResult) << command;
    }
    fake::PressEscape(main);
    EXPECT_FALSE(main.endResult);
    // Opening the window does nothing: the labels keep the template's "-".
    EXPECT_EQ(fake::Send(main, platform::kWmInitDialog), platform::kFalse);
    EXPECT_EQ(fake::Send(main, 0x000F /* WM_PAINT */), platform::kFalse);
    EXPECT_TRUE(main.texts.empty());
  });
  EXPECT_EQ(DialogsAfterMain(), std::vector<int>{});
  EXPECT_TRUE(fake::Choosers().empty());
  EXPECT_TRUE(fake::MessageBoxes().empty());
}

TEST_F(Dispatch, ExitAndTheCloseBoxEndTheProgramWithZero) {
  fake::Script(IDD_COMPOSER, [](fake::Window& main) { fake::Click(main, kExitId); });
  EXPECT_EQ(RunComposer(), 0);
  fake::Script(IDD_COMPOSER, [](fake::Window& main) { fake::PressCloseBox(main); });
  EXPECT_EQ(RunComposer(), 0);
  // The command is the low word: a notification code in the high word changes nothing.
  fake::Script(IDD_COMPOSER, [](fake::Window& main) {
    fake::Send(main, platform::kWmCommand, (1u << 16) | kExitId);
  });
  EXPECT_EQ(RunComposer(), 0);
  for (fake::Window* window : fake::Dialogs()) {
    EXPECT_EQ(window->templateId, IDD_COMPOSER);
    EXPECT_EQ(window->owner, nullptr);
  }
}
