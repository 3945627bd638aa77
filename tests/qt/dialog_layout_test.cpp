// The three windows as the Qt backend builds them from the templates: texts, ids,
// pixel geometry from the dialog font's base units, focus order and window kinds.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "platform/dialogs.h"
#include "qt_test_support.h"
#include "resources/resource_ids.h"

namespace {

using resources::ControlClass;
using resources::DialogTemplate;

const int kTemplateIds[] = {IDD_COMPOSER, IDD_CHANNEL_PROPERTIES, IDD_SOUND_PREVIEW};

// Runs the template's dialog with no owner, hands its window to the check, then ends it.
void Inspect(int templateId, const std::function<void(QWidget*, const DialogTemplate&)>& check) {
  ResetRecorder();
  const DialogTemplate& dialog = *resources::FindDialogTemplate(templateId);
  WhenUp([&] {
    check(ShownWindow(QString::fromUtf8(dialog.caption)), dialog);
    platform::EndModalDialog(InitialisedDialog(0), 0);
  });
  platform::RunModalDialog(templateId, nullptr, RecordingProcedure, 0);
}

// Windows' base units of a font: the average width of the 52 letters, rounded, and the
// height of a line.
QSize BaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return QSize((letters / 26 + 1) / 2, metrics.height());
}

int Pixels(int dialogUnits, int baseUnit, int unitsPerBase) {
  return static_cast<int>(std::lround(dialogUnits * baseUnit / static_cast<double>(unitsPerBase)));
}

QRect PixelRect(const QSize& base, int x, int y, int width, int height) {
  return QRect(Pixels(x, base.width(), 4), Pixels(y, base.height(), 8),
               Pixels(width, base.width(), 4), Pixels(height, base.height(), 8));
}

const char* ClassName(ControlClass controlClass) {
  switch (controlClass) {
    case ControlClass::Button:
      return "QPushButton";
    case ControlClass::Edit:
      return "QLineEdit";
    case ControlClass::Static:
      return "QLabel";
  }
  return "";
}

QString TextOf(QWidget* control) {
  if (auto* button = qobject_cast<QPushButton*>(control)) return button->text();
  if (auto* field = qobject_cast<QLineEdit*>(control)) return field->text();
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  return QStringLiteral("?");
}

std::vector<int> DefaultButtonIds(QWidget* window) {
  std::vector<int> ids;
  for (QWidget* control : Controls(window)) {
    auto* button = qobject_cast<QPushButton*>(control);
    if (button != nullptr && button->isDefault()) ids.push_back(ControlId(button));
  }
  return ids;
}

}  // namespace

TEST(DialogLayout, ControlsStandWhereTheirDialogUnitsPutThemWithTheirTextsAndIds) {
  for (int templateId : kTemplateIds) {
    Inspect(templateId, [](QWidget* window, const DialogTemplate& dialog) {
      SCOPED_TRACE(dialog.caption);
      EXPECT_EQ(window->font().family(), QStringLiteral("MS Sans Serif"));
      EXPECT_EQ(window->font().pointSize(), 8);
      const QSize base = BaseUnits(window->font());
      ASSERT_GT(base.width(), 2);
      ASSERT_GT(base.height(), 6);

      const QSize client = PixelRect(base, 0, 0, dialog.width, dialog.height).size();
      EXPECT_EQ(window->size(), client);
      EXPECT_EQ(window->minimumSize(), client) << "fixed size";
      EXPECT_EQ(window->maximumSize(), client) << "fixed size";

      const std::vector<QWidget*> controls = Controls(window);
      ASSERT_EQ(controls.size(), static_cast<size_t>(dialog.controlCount));
      for (int i = 0; i < dialog.controlCount; ++i) {
        const resources::ControlTemplate& expected = dialog.controls[i];
        QWidget* control = controls[i];
        SCOPED_TRACE(expected.text);
        EXPECT_STREQ(control->metaObject()->className(), ClassName(expected.controlClass));
        EXPECT_EQ(ControlId(control), expected.id);
        EXPECT_EQ(TextOf(control), QString::fromUtf8(expected.text));
        EXPECT_EQ(control->geometry(),
                  PixelRect(base, expected.x, expected.y, expected.width, expected.height));
        EXPECT_TRUE(control->isVisible());
      }
    });
  }
}

TEST(DialogLayout, TabVisitsTheTabStopsInTemplateOrderAndWrapsAround) {
  for (int templateId : kTemplateIds) {
    Inspect(templateId, [](QWidget* window, const DialogTemplate& dialog) {
      SCOPED_TRACE(dialog.caption);
      std::vector<int> tabStops;
      for (int i = 0; i < dialog.controlCount; ++i) {
        if (dialog.controls[i].style & platform::kWsTabStop) tabStops.push_back(dialog.controls[i].id);
      }
      ASSERT_FALSE(tabStops.empty());
      std::vector<int> visited;
      for (size_t press = 0; press <= tabStops.size(); ++press) {
        QWidget* focused = window->focusWidget();
        ASSERT_NE(focused, nullptr);
        visited.push_back(ControlId(focused));
        Press(window, Qt::Key_Tab);
      }
      tabStops.push_back(tabStops.front());
      EXPECT_EQ(visited, tabStops);
      for (QWidget* control : Controls(window)) {
        if (qobject_cast<QLabel*>(control)) {
          EXPECT_EQ(control->focusPolicy(), Qt::NoFocus);
        }
      }
    });
  }
}

TEST(DialogLayout, WindowKindsDefaultButtonsAndTheReadOnlyField) {
  Inspect(IDD_COMPOSER, [](QWidget* window, const DialogTemplate&) {
    EXPECT_EQ(window->windowType(), Qt::Window) << "owner-less: the application's own window";
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Brivola Synthesis Composer"));
    EXPECT_TRUE(DefaultButtonIds(window).empty());
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(0, 0));
  });
  Inspect(IDD_CHANNEL_PROPERTIES, [](QWidget* window, const DialogTemplate&) {
    EXPECT_NE(window->windowType(), Qt::Tool);
    EXPECT_EQ(DefaultButtonIds(window), std::vector<int>{platform::kIdOk});
    auto* field = qobject_cast<QLineEdit*>(Control(window, IDC_PROPERTIES_FILE_NAME));
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_TRUE(field->hasFrame());
  });
  Inspect(IDD_SOUND_PREVIEW, [](QWidget* window, const DialogTemplate&) {
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_EQ(DefaultButtonIds(window), std::vector<int>{IDC_PREVIEW_OK});
  });
  for (int templateId : kTemplateIds) {
    Inspect(templateId, [](QWidget* window, const DialogTemplate& dialog) {
      SCOPED_TRACE(dialog.caption);
      const Qt::WindowFlags flags = window->windowFlags();
      EXPECT_TRUE(flags & Qt::WindowTitleHint);
      EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
      EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    });
  }
}
