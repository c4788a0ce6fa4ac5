#pragma once

#include "app/configuration.h"
#include "frontends/model/control_layout.h"

namespace vexa::ui {

// Gap kept between the last visible Browse button and the group box around the rows, and
// between that group box and the panel's lower edge, in pixels.
inline constexpr int kFileRowsGap = 5;

// Lays out the file panel for the configured targets: rows of targets without a firmware path
// hidden and the rows below moved up into their places, the group box and the panel shrunk to
// the rows left, and for read-only paths the Browse buttons hidden and the path boxes widened
// to where the Browse buttons ended. panel starts as the template laid it out.
void ArrangeFileRows(ControlLayout& panel, const Configuration& config);

}  // namespace vexa::ui
