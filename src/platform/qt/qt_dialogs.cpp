// The dialog manager on Qt Widgets: windows built from the dialog templates, laid out in
// dialog units and driven through their dialog procedures with the Win32 messages, so
// the procedures see what they would see on Windows.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "app/file_preview/file_preview.h"
#include "platform/dialog_units.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_windows.h"
#include "resources/dialog_templates.h"

namespace {

using namespace platform;
using resources::Accelerator;
using resources::ControlClass;
using resources::ControlTemplate;
using resources::DialogTemplate;

constexpr uint32_t kButtonTypeMask = 0xF;
constexpr unsigned kMbIconMask = 0xF0;
constexpr uintptr_t kBnClicked = 0;

BaseUnits DialogBaseUnits(const QFontMetrics& metrics) {
  return platform::DialogBaseUnits(metrics.horizontalAdvance(QLatin1String(kBaseUnitSample)),
                                   metrics.height());
}

QRect ToPixels(const BaseUnits& units, int x, int y, int width, int height) {
  return QRect(PixelsAcross(units, x), PixelsDown(units, y), PixelsAcross(units, width),
               PixelsDown(units, height));
}

uintptr_t CommandParameter(int controlId) {
  return (static_cast<uintptr_t>(controlId) & 0xFFFF) | (kBnClicked << 16);
}

int ControlId(const QWidget* control) {
  return control->property(qtbackend::kControlIdProperty).toInt();
}

// As Windows does when a dialog ends: its owner becomes the active window again, with
// the keyboard focus where it was, whether or not a window manager would see to it.
void ReturnActivation(QWidget* owner) {
  if (owner != nullptr) owner->activateWindow();
}

// A child dialog is a pane inside another window, such as a chooser's.
bool IsPane(const DialogTemplate& dialog) { return (dialog.style & kWsChild) != 0; }

// An owner-less dialog is the application's own top window, as on Windows' taskbar.
Qt::WindowFlags WindowFlagsOf(const DialogTemplate& dialog, bool owned) {
  Qt::WindowFlags flags = (dialog.extendedStyle & kWsExToolWindow) ? Qt::Tool
                          : owned                                  ? Qt::Dialog
                                                                   : Qt::Window;
  flags |= Qt::CustomizeWindowHint;  // only the decorations that the style names
  if ((dialog.style & kWsCaption) == kWsCaption) flags |= Qt::WindowTitleHint;
  if (dialog.style & kWsSysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return flags;
}

// ---- What screen readers and tooltips get ----------------------------------------

// The dialog windows are the program's only top-level plain QWidgets: a screen reader
// gets them as dialogs, named by their captions.
QAccessibleInterface* DialogAccessibility(const QString& className, QObject* object) {
  if (className != QLatin1String("QWidget") || !object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  return widget->isWindow() ? new QAccessibleWidget(widget, QAccessible::Dialog) : nullptr;
}

void InstallDialogAccessibility() {
  static bool installed = false;
  if (!installed) QAccessible::installFactory(DialogAccessibility);
  installed = true;
}

// A window's description is for screen readers alone; a control's is its tooltip too.
void Describe(QWidget* widget, const QString& description) {
  widget->setAccessibleDescription(description);
  if (!widget->isWindow()) widget->setToolTip(description);
}

// The template's name for the control, also its tooltip, and its description.
void DescribeControl(QWidget* widget, const ControlTemplate& control) {
  if (control.accessibleName != nullptr) {
    const QString name = QString::fromUtf8(control.accessibleName);
    widget->setAccessibleName(name);
    widget->setToolTip(name);
  }
  if (control.description != nullptr) Describe(widget, QString::fromUtf8(control.description));
}

// The Win32 accelerator flags of the modifiers held.
uint8_t AcceleratorModifiers(Qt::KeyboardModifiers modifiers) {
  uint8_t flags = kFVirtKey;
  if (modifiers & Qt::ControlModifier) flags |= kFControl;
  if (modifiers & Qt::ShiftModifier) flags |= kFShift;
  if (modifiers & Qt::AltModifier) flags |= kFAlt;
  return flags;
}

// The dialog's accelerator for the key, or null. Qt's codes of letters and digits are
// their virtual-key codes.
const Accelerator* FindAccelerator(const DialogTemplate& dialog, const QKeyEvent& event) {
  const uint8_t modifiers = AcceleratorModifiers(event.modifiers());
  for (int i = 0; i < dialog.acceleratorCount; ++i) {
    const Accelerator& accelerator = dialog.accelerators[i];
    if (accelerator.key == event.key() && accelerator.modifiers == modifiers) return &accelerator;
  }
  return nullptr;
}

// ---- An owner-drawn picture: a waveform -----------------------------------------------

class WaveView : public QWidget {
 public:
  explicit WaveView(QWidget* parent) : QWidget(parent) {}
  void SetSamples(const int16_t* samples, size_t count) {
    samples_.assign(samples, samples + count);
    update();
  }

 protected:
  // Each pixel column from its lowest to its highest sample, full scale the full height.
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const double middle = height() / 2.0, scale = (height() - 1) / 65536.0;
    int x = 0;
    for (const WaveColumn& column : WaveColumns(samples_.data(), samples_.size(), width())) {
      painter.drawLine(QPointF(x + 0.5, middle - column.highest * scale),
                       QPointF(x + 0.5, middle - column.lowest * scale));
      ++x;
    }
  }

 private:
  std::vector<int16_t> samples_;
};

// ---- The dialog window --------------------------------------------------------------

class DialogWindow : public QWidget {
 public:
  DialogWindow(const DialogTemplate& dialog, DialogProcedure procedure, QWidget* owner);
  ~DialogWindow() override;

  DialogResult Run(intptr_t parameter);
  void End(DialogResult result);
  QWidget* Control(int controlId) const;
  DialogResult Send(unsigned message, uintptr_t wParam, intptr_t lParam);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool TakesDrops() const;
  QWidget* CreateControl(const ControlTemplate& control, const BaseUnits& units);
  void RelateLabels(const std::vector<QWidget*>& controls);
  bool RunAccelerator(const QKeyEvent& event);
  void FocusFirstTabStop();
  int EnterCommandId() const;

  const DialogTemplate& template_;
  DialogProcedure procedure_;
  BaseUnits units_;
  int origin_ = 0;  // dialog units left of a pane's controls, where the chooser's stand
  QWidget* firstTabStop_ = nullptr;
  QPushButton* defaultButton_ = nullptr;
  QEventLoop loop_;
  bool ended_ = false;
  DialogResult result_ = 0;
};

// The dialogs being run, innermost last: a handle is valid only while its dialog runs.
std::vector<DialogWindow*> runningDialogs;

WindowHandle HandleOf(DialogWindow* window) { return static_cast<QWidget*>(window); }

DialogWindow* RunningDialog(WindowHandle handle) {
  for (DialogWindow* window : runningDialogs) {
    if (HandleOf(window) == handle) return window;
  }
  return nullptr;
}

// A control of a running dialog, or null.
QWidget* ControlOf(WindowHandle dialog, int controlId) {
  DialogWindow* window = RunningDialog(dialog);
  return window != nullptr ? window->Control(controlId) : nullptr;
}

DialogWindow::DialogWindow(const DialogTemplate& dialog, DialogProcedure procedure, QWidget* owner)
    : QWidget(owner, IsPane(dialog) ? Qt::Widget : WindowFlagsOf(dialog, owner != nullptr)),
      template_(dialog),
      procedure_(procedure) {
  InstallDialogAccessibility();
  runningDialogs.push_back(this);
  setWindowTitle(QString::fromUtf8(dialog.caption));
  setFont(QFont(QString::fromUtf8(dialog.fontName), dialog.pointSize));
  // Blocking the owner's input is Qt's form of disabling the owner window.
  if (owner != nullptr && !IsPane(dialog)) setWindowModality(Qt::WindowModal);
  // Files are dropped on the program's top window, the one dialog without an owner.
  setAcceptDrops(owner == nullptr);

  units_ = DialogBaseUnits(fontMetrics());
  // A pane's chooser lays out its own controls: the pane holds what stands right of them.
  const ControlTemplate* place = std::find_if(
      dialog.controls, dialog.controls + dialog.controlCount,
      [](const ControlTemplate& control) { return control.id == kChooserControlsPlace; });
  if (place != dialog.controls + dialog.controlCount) origin_ = place->x + place->width;
  const QSize clientSize = ToPixels(units_, 0, 0, dialog.width - origin_, dialog.height).size();
  setFixedSize(clientSize);
  const QPoint offset = ToPixels(units_, dialog.x, dialog.y, 0, 0).topLeft();
  if (IsPane(dialog)) {
    // Its window lays it out.
  } else if (owner != nullptr) {
    // As Windows places an owned dialog: its client area at the offset from the
    // owner's client area, the frame around it.
    setGeometry(QRect(owner->mapToGlobal(offset), clientSize));
  } else {
    move(offset);  // the frame at the offset from the screen's top-left corner
  }

  QWidget* previousTabStop = nullptr;
  std::vector<QWidget*> controls;
  for (int i = 0; i < dialog.controlCount; ++i) {
    const ControlTemplate& control = dialog.controls[i];
    if (control.id == kChooserControlsPlace) {
      controls.push_back(nullptr);
      continue;
    }
    QWidget* widget = CreateControl(control, units_);
    controls.push_back(widget);
    if (!(control.style & kWsTabStop)) continue;
    if (previousTabStop != nullptr) {
      QWidget::setTabOrder(previousTabStop, widget);
    } else {
      firstTabStop_ = widget;
    }
    previousTabStop = widget;
  }
  RelateLabels(controls);
}

DialogWindow::~DialogWindow() {
  runningDialogs.erase(std::find(runningDialogs.begin(), runningDialogs.end(), this));
}

QWidget* DialogWindow::CreateControl(const ControlTemplate& control, const BaseUnits& units) {
  const QString text = QString::fromUtf8(control.text);
  QWidget* widget = nullptr;
  switch (control.controlClass) {
    case ControlClass::Button: {
      if ((control.style & kButtonTypeMask) == kBsAutoCheckBox) {
        // Toggled by the user in any way, a screen reader's action too; CheckControl
        // blocks the signal, as BM_SETCHECK sends no command.
        auto* box = new QCheckBox(text, this);
        const int id = control.id;
        connect(box, &QCheckBox::toggled, this, [this, box, id] {
          Send(kWmCommand, CommandParameter(id), reinterpret_cast<intptr_t>(box));
        });
        widget = box;
        break;
      }
      auto* button = new QPushButton(text, this);
      // Enter belongs to the dialog (EnterCommandId); the default button keeps its look,
      // which a focused button never takes over, as no QDialog holds the buttons.
      if ((control.style & kButtonTypeMask) == kBsDefPushButton) {
        button->setDefault(true);
        defaultButton_ = button;
      }
      const int id = control.id;
      connect(button, &QPushButton::clicked, this, [this, button, id] {
        Send(kWmCommand, CommandParameter(id), reinterpret_cast<intptr_t>(button));
      });
      widget = button;
      break;
    }
    case ControlClass::Edit: {
      auto* field = new QLineEdit(text, this);
      field->setReadOnly(control.style & kEsReadOnly);
      field->setFrame(control.style & kWsBorder);
      widget = field;
      break;
    }
    case ControlClass::Static: {
      if ((control.style & kSsTypeMask) == kSsOwnerDraw) {
        widget = new WaveView(this);
        break;
      }
      auto* label = new QLabel(text, this);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      widget = label;
      break;
    }
  }
  widget->setProperty(qtbackend::kControlIdProperty, control.id);
  DescribeControl(widget, control);
  widget->setGeometry(
      ToPixels(units, control.x - origin_, control.y, control.width, control.height));
  if (control.controlClass != ControlClass::Static) {
    widget->setFocusPolicy((control.style & kWsTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
  }
  return widget;
}

// A text that labels a control is its buddy, which screen readers relate to it.
void DialogWindow::RelateLabels(const std::vector<QWidget*>& controls) {
  for (int i = 0; i < template_.controlCount; ++i) {
    auto* label = qobject_cast<QLabel*>(controls[i]);
    const int labelled = template_.controls[i].labelledControlId;
    if (label != nullptr && labelled != resources::kNoControlId) label->setBuddy(Control(labelled));
  }
}

QWidget* DialogWindow::Control(int controlId) const {
  for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (ControlId(control) == controlId) return control;
  }
  return nullptr;
}

DialogResult DialogWindow::Send(unsigned message, uintptr_t wParam, intptr_t lParam) {
  return procedure_(HandleOf(this), message, wParam, lParam);
}

DialogResult DialogWindow::Run(intptr_t parameter) {
  // WM_INITDIALOG names the control that is to take the focus; TRUE lets it.
  if (Send(kWmInitDialog, reinterpret_cast<uintptr_t>(firstTabStop_), parameter) != kFalse) {
    FocusFirstTabStop();
  }
  if (!ended_) {  // a dialog ended while it initialised never shows
    show();
    loop_.exec();
    const bool wasActive = isActiveWindow();
    hide();
    if (wasActive) ReturnActivation(parentWidget());
  }
  return result_;
}

void DialogWindow::End(DialogResult result) {
  result_ = result;
  ended_ = true;
  loop_.exit();  // Run returns once the current message has been answered
}

void DialogWindow::FocusFirstTabStop() {
  if (firstTabStop_ != nullptr) firstTabStop_->setFocus(Qt::TabFocusReason);
}

// A focused push button, else the default button, else IDOK.
int DialogWindow::EnterCommandId() const {
  if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) return ControlId(focused);
  if (defaultButton_ != nullptr) return ControlId(defaultButton_);
  return kIdOk;
}

bool DialogWindow::event(QEvent* event) {
  // As DefDlgProc does: a dialog activated with no focus gives it to its first tab stop.
  // A pane leaves the focus to its window.
  if (event->type() == QEvent::WindowActivate && focusWidget() == nullptr && !IsPane(template_)) {
    FocusFirstTabStop();
  }
  return QWidget::event(event);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  // A pane's window has the keys: Escape and Enter are its chooser's.
  if (IsPane(template_)) return QWidget::keyPressEvent(event);
  switch (event->key()) {
    case Qt::Key_Escape:
      Send(kWmCommand, CommandParameter(kIdCancel), 0);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Send(kWmCommand, CommandParameter(EnterCommandId()), 0);
      break;
    default:
      if (!RunAccelerator(*event)) QWidget::keyPressEvent(event);
  }
}

// As TranslateAccelerator does: the key's command, with 1 in the high word.
bool DialogWindow::RunAccelerator(const QKeyEvent& event) {
  const Accelerator* accelerator = FindAccelerator(template_, event);
  if (accelerator == nullptr) return false;
  Send(kWmCommand, CommandParameter(accelerator->commandId) | (kAcceleratorNotification << 16), 0);
  return true;
}

// The close box only asks: the procedure decides, and the window stays until ended.
void DialogWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (Send(kWmClose, 0, 0) == kFalse) Send(kWmCommand, CommandParameter(kIdCancel), 0);
}

// As a window disabled by a modal one takes no drop: only the innermost dialog, and
// only while no message box or chooser is up.
bool DialogWindow::TakesDrops() const {
  return !runningDialogs.empty() && runningDialogs.back() == this &&
         QApplication::activeModalWidget() == nullptr;
}

void DialogWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (TakesDrops() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void DialogWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (TakesDrops()) event->acceptProposedAction();
}

// The procedure gets the point in dialog units and each file's path as the file system
// names it; what is not a local file comes as an empty path, which no file has.
void DialogWindow::dropEvent(QDropEvent* event) {
  if (!TakesDrops() || !event->mimeData()->hasUrls()) return;
  std::vector<QByteArray> names;
  for (const QUrl& url : event->mimeData()->urls()) {
    names.push_back(url.isLocalFile() ? QFile::encodeName(url.toLocalFile()) : QByteArray());
  }
  std::vector<const char*> paths;
  for (const QByteArray& name : names) paths.push_back(name.constData());
  const QPoint point = event->position().toPoint();
  const DroppedFiles dropped{DialogUnitsAcross(units_, point.x()),
                             DialogUnitsDown(units_, point.y()), static_cast<int>(paths.size()),
                             paths.data()};
  event->acceptProposedAction();
  Send(kWmDropFiles, 0, reinterpret_cast<intptr_t>(&dropped));
}

}  // namespace

namespace qtbackend {

QWidget* DialogWidget(WindowHandle window) { return RunningDialog(window); }

QWidget* OpenPane(int templateId, DialogProcedure procedure, QWidget* parent) {
  const DialogTemplate* pane = resources::FindDialogTemplate(templateId);
  if (pane == nullptr || procedure == nullptr) return nullptr;
  auto* window = new DialogWindow(*pane, procedure, parent);
  window->Send(kWmInitDialog, 0, 0);
  return window;
}

DialogResult SendToPane(QWidget* pane, unsigned message, uintptr_t wParam, intptr_t lParam) {
  return static_cast<DialogWindow*>(pane)->Send(message, wParam, lParam);
}

int RunOwnedDialog(QDialog& dialog, QWidget* owner) {
  // exec() makes a dialog without an owner modal to the whole application.
  if (owner != nullptr) dialog.setWindowModality(Qt::WindowModal);
  const int result = dialog.exec();
  ReturnActivation(owner);
  return result;
}

}  // namespace qtbackend

namespace platform {

DialogResult RunModalDialog(int templateId, WindowHandle owner, DialogProcedure procedure,
                            intptr_t parameter) {
  const DialogTemplate* dialog = resources::FindDialogTemplate(templateId);
  if (dialog == nullptr) return -1;
  DialogWindow window(*dialog, procedure, qtbackend::DialogWidget(owner));
  return window.Run(parameter);
}

int EndModalDialog(WindowHandle dialog, DialogResult result) {
  DialogWindow* window = RunningDialog(dialog);
  if (window == nullptr) return 0;
  window->End(result);
  return 1;
}

int SetControlText(WindowHandle dialog, int controlId, const char* text) {
  QWidget* control = ControlOf(dialog, controlId);
  if (control == nullptr) return 0;
  const QString value = QString::fromUtf8(text);
  if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(value);
    field->setCursorPosition(0);  // an edit control shows the start of a long text
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(value);
  } else if (auto* button = qobject_cast<QPushButton*>(control)) {
    button->setText(value);
  }
  return 1;
}

int SetControlDescription(WindowHandle dialog, int controlId, const char* text) {
  DialogWindow* window = RunningDialog(dialog);
  if (window == nullptr) return 0;
  QWidget* target = controlId == kDialogItself ? window : window->Control(controlId);
  if (target == nullptr) return 0;
  Describe(target, QString::fromUtf8(text));  // undecodable bytes become U+FFFD
  return 1;
}

int CheckControl(WindowHandle dialog, int controlId, bool checked) {
  auto* box = qobject_cast<QCheckBox*>(ControlOf(dialog, controlId));
  if (box == nullptr) return 0;
  const QSignalBlocker quiet(box);
  box->setChecked(checked);
  return 1;
}

bool IsControlChecked(WindowHandle dialog, int controlId) {
  auto* box = qobject_cast<QCheckBox*>(ControlOf(dialog, controlId));
  return box != nullptr && box->isChecked();
}

int SetControlWave(WindowHandle dialog, int controlId, const int16_t* samples, size_t count) {
  auto* view = dynamic_cast<WaveView*>(ControlOf(dialog, controlId));
  if (view == nullptr) return 0;
  view->SetSamples(samples, count);
  return 1;
}

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
  QWidget* ownerWidget = qtbackend::DialogWidget(owner);
  const QMessageBox::Icon icon =
      (style & kMbIconMask) == kMbIconInformation ? QMessageBox::Information : QMessageBox::NoIcon;
  QMessageBox box(icon, QString::fromUtf8(caption), QString::fromUtf8(text), QMessageBox::Ok,
                  ownerWidget);
  box.setTextFormat(Qt::PlainText);
  qtbackend::RunOwnedDialog(box, ownerWidget);
  return kIdOk;  // its only button, which Escape and the close box press too
}

}  // namespace platform
