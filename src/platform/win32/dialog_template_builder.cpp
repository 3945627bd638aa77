#include "platform/win32/dialog_template_builder.h"

namespace win32 {
namespace {

using resources::ControlClass;
using resources::ControlTemplate;
using resources::DialogTemplate;

// The predefined window classes, named by atom in a template.
constexpr WORD kClassAtomMarker = 0xFFFF;
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

// DLGTEMPLATEEX starts with these two words where DLGTEMPLATE has its style.
constexpr WORD kExtendedVersion = 1;
constexpr WORD kExtendedSignature = 0xFFFF;
// The extended template names the font fully: normal weight, upright, default charset.
constexpr WORD kFontWeight = FW_NORMAL;
constexpr BYTE kFontItalic = FALSE;
constexpr BYTE kFontCharset = DEFAULT_CHARSET;

class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }

  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }

  // Texts are UTF-16 in every template, whichever API later reads them.
  void Text(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::vector<WCHAR> wide(length > 0 ? length : 1, 0);
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
    words_.insert(words_.end(), wide.begin(), wide.end());
  }

  void Rectangle(int16_t x, int16_t y, int16_t width, int16_t height) {
    for (int16_t value : {x, y, width, height}) Word(static_cast<WORD>(value));
  }

  void AlignToDword() {
    if (words_.size() % 2 != 0) Word(0);
  }

  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

WORD ClassAtom(ControlClass controlClass) {
  switch (controlClass) {
    case ControlClass::Button:
      return kButtonAtom;
    case ControlClass::Edit:
      return kEditAtom;
    case ControlClass::Static:
      break;
  }
  return kStaticAtom;
}

// No menu and the dialog manager's own window class, then the caption.
void WriteMenuClassAndCaption(TemplateWriter& out, const DialogTemplate& dialog) {
  out.Word(0);
  out.Word(0);
  out.Text(dialog.caption);
}

// The item's class, text and an empty creation-data block.
void WriteClassAndText(TemplateWriter& out, const ControlTemplate& control) {
  out.Word(kClassAtomMarker);
  out.Word(ClassAtom(control.controlClass));
  out.Text(control.text);
  out.Word(0);
}

void WriteStandard(TemplateWriter& out, const DialogTemplate& dialog) {
  out.Dword(dialog.style);
  out.Dword(dialog.extendedStyle);
  out.Word(static_cast<WORD>(dialog.controlCount));
  out.Rectangle(dialog.x, dialog.y, dialog.width, dialog.height);
  WriteMenuClassAndCaption(out, dialog);
  if (dialog.style & DS_SETFONT) {
    out.Word(dialog.pointSize);
    out.Text(dialog.fontName);
  }
  for (int i = 0; i < dialog.controlCount; ++i) {
    const ControlTemplate& control = dialog.controls[i];
    out.AlignToDword();
    out.Dword(control.style);
    out.Dword(0);
    out.Rectangle(control.x, control.y, control.width, control.height);
    out.Word(static_cast<WORD>(control.id));  // -1 becomes the static id 0xFFFF
    WriteClassAndText(out, control);
  }
}

void WriteExtended(TemplateWriter& out, const DialogTemplate& dialog) {
  out.Word(kExtendedVersion);
  out.Word(kExtendedSignature);
  out.Dword(0);  // help id
  out.Dword(dialog.extendedStyle);
  out.Dword(dialog.style);
  out.Word(static_cast<WORD>(dialog.controlCount));
  out.Rectangle(dialog.x, dialog.y, dialog.width, dialog.height);
  WriteMenuClassAndCaption(out, dialog);
  if (dialog.style & DS_SETFONT) {
    out.Word(dialog.pointSize);
    out.Word(kFontWeight);
    out.Word(MAKEWORD(kFontItalic, kFontCharset));
    out.Text(dialog.fontName);
  }
  for (int i = 0; i < dialog.controlCount; ++i) {
    const ControlTemplate& control = dialog.controls[i];
    out.AlignToDword();
    out.Dword(0);  // help id
    out.Dword(0);  // extended style
    out.Dword(control.style);
    out.Rectangle(control.x, control.y, control.width, control.height);
    out.Dword(static_cast<DWORD>(control.id));
    WriteClassAndText(out, control);
  }
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const DialogTemplate& dialog) {
  TemplateWriter out;
  // The one window with an extended style, the Sound Preview, is an extended
  // template; the others are standard ones.
  if (dialog.extendedStyle != 0) {
    WriteExtended(out, dialog);
  } else {
    WriteStandard(out, dialog);
  }
  return out.Take();
}

}  // namespace win32
