#pragma once

#include <map>
#include <optional>
#include <string>

#include "frontends/model/colors.h"
#include "frontends/model/dialog_units.h"
#include "tests/frontends/win32/control_dump.h"

namespace vexa::win32check {

// What the dialog model says one control shows; unset fields are not the model's to say.
struct ExpectedControl {
  ui::PixelRect rect;
  bool visible = true;
  std::optional<bool> enabled;
  std::optional<std::string> text;
  std::optional<ui::Rgb> textColor;
  std::optional<ui::Rgb> background;
};
using DialogExpectation = std::map<ControlKey, ExpectedControl>;

// The dialog's controls as the model computes them for a configuration and a simulated board,
// in pixels of the given base units: after start-up, or with run after "Start" and the run's
// end. Drives its own session on the board (which a run programs), writing its log to logPath.
std::optional<DialogExpectation> ExpectDialog(const std::string& configPath,
                                              const std::string& boardPath,
                                              const std::string& logPath, ui::DialogBaseUnits units,
                                              bool run, std::string& error);

}  // namespace vexa::win32check
