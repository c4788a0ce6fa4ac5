#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "frontends/model/colors.h"
#include "frontends/model/dialog_units.h"

namespace vexa::win32check {

// A control of the main dialog (panel false) or of its panel (true), by id.
using ControlKey = std::pair<bool, int>;

// One line of the Windows dialog's --dump-controls file.
struct DumpedControl {
  std::string className;
  std::string text;
  // Pixels in the main dialog's client area.
  ui::PixelRect rect;
  bool visible = false;
  bool enabled = false;
  // Unset for controls that paint without the colour messages (buttons, the progress bar).
  std::optional<ui::Rgb> textColor;
  std::optional<ui::Rgb> background;
};

struct ControlDump {
  ui::DialogBaseUnits units;
  std::map<ControlKey, DumpedControl> controls;
};

// Reads a dump file; nothing with error set when it is malformed.
std::optional<ControlDump> ReadControlDump(const std::string& path, std::string& error);

}  // namespace vexa::win32check
