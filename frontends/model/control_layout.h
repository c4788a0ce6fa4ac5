#pragma once

#include <map>

#include "frontends/model/dialog_templates.h"
#include "frontends/model/dialog_units.h"

namespace vexa::ui {

struct Placement {
  PixelRect rect;
  bool visible = true;
};

// Where each control of a dialog or panel is and whether it shows, in pixels: the template
// converted with the dialog font's base units, then rearranged by the layout rules. The
// widgets take their geometry from it, so the rules can be checked without a display.
class ControlLayout {
 public:
  ControlLayout(const DialogTemplate& dialog, DialogBaseUnits units);

  // The control must belong to the template.
  Placement& at(int id);
  const Placement& at(int id) const;
  PixelRect& rect(int id) { return at(id).rect; }
  const PixelRect& rect(int id) const { return at(id).rect; }
  void Show(int id, bool visible) { at(id).visible = visible; }

  const std::map<int, Placement>& placements() const { return placements_; }

  // Client size of the dialog or panel.
  int width = 0;
  int height = 0;

 private:
  std::map<int, Placement> placements_;
};

}  // namespace vexa::ui
