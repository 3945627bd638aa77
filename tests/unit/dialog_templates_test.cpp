#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/dialog_templates.h"

namespace {

using resources::ControlClass;
using resources::ControlTemplate;
using resources::DialogTemplate;

struct Expected {
  ControlClass controlClass;
  int id;
  std::string text;
  int x, y, width, height;
  uint32_t style;
};

constexpr uint32_t kButton = 0x50010000;
constexpr uint32_t kDefaultButton = 0x50010001;
constexpr uint32_t kText = 0x50020000;
constexpr uint32_t kReadOnlyField = 0x50810880;

void ExpectControls(const DialogTemplate& dialog, const std::vector<Expected>& expected) {
  ASSERT_EQ(dialog.controlCount, static_cast<int>(expected.size())) << dialog.caption;
  for (size_t i = 0; i < expected.size(); ++i) {
    const ControlTemplate& control = dialog.controls[i];
    const Expected& want = expected[i];
    SCOPED_TRACE(std::string(dialog.caption) + ", control " + std::to_string(i) + " \"" +
                 want.text + "\"");
    EXPECT_EQ(control.controlClass, want.controlClass);
    EXPECT_EQ(control.id, want.id);
    EXPECT_EQ(control.text, want.text);
    EXPECT_EQ(control.x, want.x);
    EXPECT_EQ(control.y, want.y);
    EXPECT_EQ(control.width, want.width);
    EXPECT_EQ(control.height, want.height);
    EXPECT_EQ(control.style, want.style);
  }
}

void ExpectFrame(const DialogTemplate& dialog, const char* caption, uint32_t extendedStyle,
                 int width, int height) {
  EXPECT_STREQ(dialog.caption, caption);
  EXPECT_EQ(dialog.style, 0x80C800C0u) << caption;
  EXPECT_EQ(dialog.extendedStyle, extendedStyle) << caption;
  EXPECT_STREQ(dialog.fontName, "MS Sans Serif");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.width, width) << caption;
  EXPECT_EQ(dialog.height, height) << caption;
}

}  // namespace

TEST(DialogTemplates, MainWindowInTemplateOrder) {
  const DialogTemplate* dialog = resources::FindDialogTemplate(101);
  ASSERT_NE(dialog, nullptr);
  ExpectFrame(*dialog, "Brivola Synthesis Composer", 0, 202, 127);

  const char* captions[7] = {"Pulse Wave #1", "Pulse Wave #2", "Pulse Wave #3", "Pulse Wave #4",
                             "Triangle Wave", "Noise Wave #1", "Noise Wave #2"};
  std::vector<Expected> expected = {{ControlClass::Button, 1015, "Exit", 101, 105, 60, 14, kButton}};
  for (int row = 0; row < 7; ++row) {
    expected.push_back({ControlClass::Static, -1, captions[row], 10, 20 + 10 * row,
                        row < 2 ? 55 : 60, 10, kText});
  }
  expected.push_back({ControlClass::Static, -1, "NES Sound Channel:", 10, 5, 70, 10, kText});
  expected.push_back({ControlClass::Static, -1, "Synthesis Wave:", 85, 5, 55, 10, kText});
  for (int row = 0; row < 7; ++row) {
    expected.push_back({ControlClass::Button, 1000 + row, "N", 170, 20 + 10 * row, 15, 10, kButton});
  }
  for (int row = 0; row < 7; ++row) {
    expected.push_back({ControlClass::Button, 1007 + row, "S", 150, 20 + 10 * row, 15, 10, kButton});
  }
  expected.push_back({ControlClass::Button, 1014, "Save...", 35, 105, 60, 15, kButton});
  for (int row = 0; row < 7; ++row) {
    expected.push_back({ControlClass::Static, 1016 + row, "-", 85, 20 + 10 * row, 30, 10, kText});
  }
  for (int row = 0; row < 7; ++row) {
    expected.push_back({ControlClass::Button, 1023 + row, "...", 130, 20 + 10 * row, 15, 10, kButton});
  }
  ExpectControls(*dialog, expected);
}

TEST(DialogTemplates, ChannelPropertiesAndSoundPreview) {
  const DialogTemplate* properties = resources::FindDialogTemplate(103);
  ASSERT_NE(properties, nullptr);
  ExpectFrame(*properties, "Channel Properties", 0, 217, 46);
  ExpectControls(*properties, {
                                  {ControlClass::Button, 1, "OK", 75, 25, 50, 14, kDefaultButton},
                                  {ControlClass::Edit, 1027, "", 45, 5, 140, 10, kReadOnlyField},
                                  {ControlClass::Static, -1, "File name:", 5, 5, 35, 10, kText},
                                  {ControlClass::Button, 1028, "...", 190, 5, 15, 10, kButton},
                              });

  const DialogTemplate* preview = resources::FindDialogTemplate(104);
  ASSERT_NE(preview, nullptr);
  ExpectFrame(*preview, "Sound Preview", 0x80, 62, 23);
  ExpectControls(*preview, {{ControlClass::Button, 1029, "OK", 10, 5, 40, 15, kDefaultButton}});

  EXPECT_EQ(resources::FindDialogTemplate(102), nullptr);
  EXPECT_EQ(resources::FindDialogTemplate(105), nullptr);
}
