#include "frontends/win32/template_dialog.h"

#include <vector>

#include "frontends/win32/dialog_template_builder.h"

namespace vexa::win32 {

TemplateDialog::~TemplateDialog() {
  if (hwnd_ != nullptr && !modal_) DestroyWindow(hwnd_);
}

bool TemplateDialog::Create(HWND parent, DWORD style) {
  const std::vector<WORD> words = BuildDialogTemplate(template_, style);
  CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                             reinterpret_cast<const DLGTEMPLATE*>(words.data()), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

INT_PTR TemplateDialog::RunModal(HWND parent, DWORD style) {
  modal_ = true;
  const std::vector<WORD> words = BuildDialogTemplate(template_, style);
  const INT_PTR code = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                               reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                                               parent, DialogProc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  return code;
}

ui::DialogBaseUnits TemplateDialog::baseUnits() const {
  RECT units{0, 0, 4, 8};
  MapDialogRect(hwnd_, &units);
  return {units.right, units.bottom};
}

void TemplateDialog::ApplyLayout(const ui::ControlLayout& layout) const {
  for (const auto& [id, placement] : layout.placements()) {
    HWND control = item(id);
    const ui::PixelRect& rect = placement.rect;
    SetWindowPos(control, nullptr, rect.x, rect.y, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(control, placement.visible ? SW_SHOWNA : SW_HIDE);
  }
}

int TemplateDialog::PlacePanel(const ui::ControlLayout& layout, int top) const {
  ApplyLayout(layout);
  SetWindowPos(hwnd_, nullptr, 0, top, layout.width, layout.height, SWP_NOZORDER);
  ShowWindow(hwnd_, SW_SHOWNA);
  return layout.height;
}

bool TemplateDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
  return false;
}

INT_PTR CALLBACK TemplateDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<TemplateDialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    dialog->hwnd_ = hwnd;
  }
  auto* dialog = reinterpret_cast<TemplateDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC) {
    HBRUSH brush =
        dialog->colors_.Paint(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    if (brush != nullptr) return reinterpret_cast<INT_PTR>(brush);
  }
  INT_PTR result = FALSE;
  if (dialog->OnMessage(message, wParam, lParam, result)) return result;
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace vexa::win32
