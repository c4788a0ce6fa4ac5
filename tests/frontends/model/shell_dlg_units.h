#pragma once

#include "frontends/model/dialog_units.h"

namespace vexa::ui {

// The base units Windows gives the dialog templates' font, 8-point "MS Shell Dlg" at 96 DPI,
// so that pixel offsets are those the tool was drawn with.
inline constexpr DialogBaseUnits kShellDlg8{6, 13};

}  // namespace vexa::ui
