#pragma once

#include <QFont>

#include "frontends/model/dialog_units.h"

namespace vexa::dialog {

// The font the dialog templates are drawn for (8-point "MS Shell Dlg"; where it does not
// exist, the platform's sans-serif face at that size).
QFont DialogFont();

// The output box's 8-point "Courier New", or the platform's fixed-pitch face.
QFont OutputFont();

// The template's dialog units in pixels, for font.
ui::DialogBaseUnits BaseUnitsOf(const QFont& font);

}  // namespace vexa::dialog
