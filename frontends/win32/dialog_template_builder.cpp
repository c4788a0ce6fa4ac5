#include "frontends/win32/dialog_template_builder.h"

#include <commctrl.h>

#include "util/windows_text.h"

namespace vexa::win32 {

namespace {

// Predefined window classes by their template atoms.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  // An atom or resource number instead of a string.
  void Ordinal(WORD value) {
    Word(0xFFFF);
    Word(value);
  }
  // Items start on a DWORD boundary.
  void AlignDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

struct ItemClass {
  DWORD style;
  WORD atom;  // 0: the class is named by className.
  const wchar_t* className;
};

ItemClass ClassOf(const ui::ControlTemplate& control) {
  constexpr DWORD kEditBase = ES_LEFT | WS_BORDER | WS_TABSTOP;
  switch (control.kind) {
    case ui::ControlKind::kStatic:
      return {SS_LEFT | SS_NOPREFIX, kStaticAtom, nullptr};
    case ui::ControlKind::kEdit:
      return {kEditBase | ES_AUTOHSCROLL, kEditAtom, nullptr};
    case ui::ControlKind::kMultiLineEdit:
      return {kEditBase | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, kEditAtom, nullptr};
    case ui::ControlKind::kButton:
      return {BS_PUSHBUTTON | WS_TABSTOP, kButtonAtom, nullptr};
    case ui::ControlKind::kDefaultButton:
      return {BS_DEFPUSHBUTTON | WS_TABSTOP, kButtonAtom, nullptr};
    case ui::ControlKind::kGroupBox:
      return {BS_GROUPBOX, kButtonAtom, nullptr};
    case ui::ControlKind::kProgressBar:
      return {WS_BORDER, 0, PROGRESS_CLASSW};
    case ui::ControlKind::kFrame:
      return {SS_BLACKFRAME, kStaticAtom, nullptr};
    case ui::ControlKind::kIcon:
      return {SS_ICON, kStaticAtom, nullptr};
  }
  return {0, kStaticAtom, nullptr};
}

void WriteItem(TemplateWriter& out, const ui::ControlTemplate& control) {
  const ItemClass itemClass = ClassOf(control);
  DWORD style = WS_CHILD | itemClass.style;
  if (!control.hidden) style |= WS_VISIBLE;
  if (control.readOnly) style |= ES_READONLY;
  out.AlignDword();
  out.Dword(style);
  out.Dword(0);
  for (int value : {control.rect.x, control.rect.y, control.rect.width, control.rect.height}) {
    out.Word(static_cast<WORD>(value));
  }
  out.Word(static_cast<WORD>(control.id));
  if (itemClass.atom != 0) {
    out.Ordinal(itemClass.atom);
  } else {
    out.Text(itemClass.className);
  }
  if (control.kind == ui::ControlKind::kIcon) {
    out.Ordinal(kAppIconId);
  } else {
    out.Text(WideFromUtf8(control.text));
  }
  out.Word(0);  // no creation data
}

}  // namespace

std::vector<WORD> BuildDialogTemplate(const ui::DialogTemplate& dialog, DWORD style) {
  TemplateWriter out;
  out.Dword(style | DS_SETFONT);
  out.Dword(0);
  out.Word(static_cast<WORD>(dialog.controls.size()));
  for (int value : {0, 0, dialog.width, dialog.height}) out.Word(static_cast<WORD>(value));
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(WideFromUtf8(dialog.caption));
  out.Word(kDialogFontPoints);
  out.Text(kDialogFontName);
  for (const ui::ControlTemplate& control : dialog.controls) WriteItem(out, control);
  return out.Take();
}

}  // namespace vexa::win32
