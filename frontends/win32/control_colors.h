#pragma once

#include <windows.h>

#include <map>
#include <optional>

#include "frontends/model/colors.h"

namespace vexa::win32 {

struct ControlColor {
  ui::Rgb text = ui::kBlack;
  ui::Rgb background = ui::kWhite;
};

COLORREF ToColorRef(ui::Rgb color);

// The colours the program gives its controls. Controls ask their dialog for colours before
// they paint (WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC); every dialog of the tool answers from this
// table, so the colours survive repaints. Owns the background brushes.
class ControlColors {
 public:
  ControlColors() = default;
  ControlColors(const ControlColors&) = delete;
  ControlColors& operator=(const ControlColors&) = delete;
  ~ControlColors();

  // Sets and repaints.
  void SetText(HWND control, ui::Rgb color);
  void SetBackground(HWND control, ui::Rgb color);
  std::optional<ControlColor> Of(HWND control) const;

  // The answer to a WM_CTLCOLOR* message for control, which paints through dc: the brush, or
  // null for a control the program gave no colours (the dialog's default then applies).
  HBRUSH Paint(HWND control, HDC dc);

 private:
  HBRUSH BrushOf(ui::Rgb color);

  std::map<HWND, ControlColor> colors_;
  std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace vexa::win32
