#include "frontends/model/dialog_units.h"

#include <gtest/gtest.h>

#include "frontends/model/control_layout.h"
#include "frontends/model/dialog_templates.h"
#include "tests/frontends/model/shell_dlg_units.h"

namespace vexa::ui {
namespace {

TEST(DialogUnits, BaseUnitsRoundTheAverageLetterWidth) {
  // 52 letters 286 pixels wide: 11 per pair of letters, 5.5 per letter, rounded up to 6.
  EXPECT_EQ(BaseUnitsOfFont(286, 13), kShellDlg8);
  EXPECT_EQ(BaseUnitsOfFont(285, 13), (DialogBaseUnits{5, 13}));
  EXPECT_EQ(BaseUnitsOfFont(312, 16), (DialogBaseUnits{6, 16}));
}

TEST(DialogUnits, PositionsAndSizesRoundToNearestEachOnTheirOwn) {
  // 249 * 13 / 8 = 404.625 and 4 * 13 / 8 = 6.5 (halves round away from zero).
  EXPECT_EQ(ToPixels({6, 4, 351, 249}, kShellDlg8), (PixelRect{9, 7, 527, 405}));
  EXPECT_EQ(ToPixels({61, 45, 242, 14}, kShellDlg8), (PixelRect{92, 73, 363, 23}));
}

TEST(DialogUnits, MainDialogComesOutAtItsTemplateSize) {
  const ControlLayout layout(MainDialogTemplate(), kShellDlg8);
  EXPECT_EQ(layout.width, 546);
  EXPECT_EQ(layout.height, 405);
  EXPECT_EQ(layout.rect(main_ids::kStart), (PixelRect{446, 367, 90, 33}));
  EXPECT_FALSE(layout.at(main_ids::kButtonFrame).visible);
}

}  // namespace
}  // namespace vexa::ui
