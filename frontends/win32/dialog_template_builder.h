#pragma once

#include <windows.h>

#include <vector>

#include "frontends/model/dialog_templates.h"

namespace vexa::win32 {

// The dialog font every template names, 8 points.
inline constexpr const wchar_t* kDialogFontName = L"MS Shell Dlg";
inline constexpr WORD kDialogFontPoints = 8;
// The resource number of the application icon, which icon controls show.
inline constexpr WORD kAppIconId = 1;

// An in-memory dialog template (DLGTEMPLATE with its items) of one of the model's dialogs, in
// its dialog units and with the dialog font, ready for CreateDialogIndirectParam: the dialog
// manager then converts the units with the font's base units, as the model expects.
// style: the dialog's window style (DS_SETFONT is added).
std::vector<WORD> BuildDialogTemplate(const ui::DialogTemplate& dialog, DWORD style);

}  // namespace vexa::win32
