#include "frontends/win32/control_colors.h"

namespace vexa::win32 {

COLORREF ToColorRef(ui::Rgb color) {
  return RGB(color.red, color.green, color.blue);
}

ControlColors::~ControlColors() {
  for (const auto& [color, brush] : brushes_) DeleteObject(brush);
}

void ControlColors::SetText(HWND control, ui::Rgb color) {
  colors_[control].text = color;
  InvalidateRect(control, nullptr, TRUE);
}

void ControlColors::SetBackground(HWND control, ui::Rgb color) {
  colors_[control].background = color;
  InvalidateRect(control, nullptr, TRUE);
}

std::optional<ControlColor> ControlColors::Of(HWND control) const {
  const auto found = colors_.find(control);
  if (found == colors_.end()) return std::nullopt;
  return found->second;
}

HBRUSH ControlColors::Paint(HWND control, HDC dc) {
  const std::optional<ControlColor> color = Of(control);
  if (!color) return nullptr;
  SetTextColor(dc, ToColorRef(color->text));
  SetBkColor(dc, ToColorRef(color->background));
  return BrushOf(color->background);
}

HBRUSH ControlColors::BrushOf(ui::Rgb color) {
  const COLORREF key = ToColorRef(color);
  HBRUSH& brush = brushes_[key];
  if (brush == nullptr) brush = CreateSolidBrush(key);
  return brush;
}

}  // namespace vexa::win32
