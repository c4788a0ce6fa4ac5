#pragma once

#include "frontends/model/control_layout.h"

namespace vexa::ui {

// Height of the frame Windows draws around a dialog with a caption at 96 DPI (caption 23,
// fixed and padded border 7 above and below the client area). The window height rule below
// counts it, so the client area is this much shorter than the window.
inline constexpr int kWindowsDialogFrameHeight = 37;

// Stacks the progress bar, the output label, the output box and the button row below the
// panel, whose lower edge is panelBottom (pixels, dialog client coordinates), keeping each
// control's x and size; the dialog's client height follows from the button row.
void ArrangeMainLayout(ControlLayout& dialog, int panelBottom);

}  // namespace vexa::ui
