#pragma once

#include "app/configuration.h"
#include "frontends/model/control_layout.h"

namespace vexa::ui {

// Space left below the last row's on-board box, in pixels.
inline constexpr int kDeviceRowsBottomGap = 10;

// Lays out the device panel for the configured targets: rows of targets without a firmware
// path hidden, the rows below moved up into their places, and the panel ending below the last
// row. panel starts as the template laid it out.
void ArrangeTargetRows(ControlLayout& panel, const Configuration& config);

}  // namespace vexa::ui
