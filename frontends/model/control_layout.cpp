#include "frontends/model/control_layout.h"

namespace vexa::ui {

ControlLayout::ControlLayout(const DialogTemplate& dialog, DialogBaseUnits units)
    : width(HorizontalPixels(dialog.width, units)), height(VerticalPixels(dialog.height, units)) {
  for (const ControlTemplate& control : dialog.controls) {
    placements_[control.id] = {ToPixels(control.rect, units), !control.hidden};
  }
}

Placement& ControlLayout::at(int id) {
  return placements_.at(id);
}

const Placement& ControlLayout::at(int id) const {
  return placements_.at(id);
}

}  // namespace vexa::ui
