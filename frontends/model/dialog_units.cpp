#include "frontends/model/dialog_units.h"

#include <cstdint>

namespace vexa::ui {

namespace {

// value * numerator / denominator rounded to the nearest integer, halves away from zero.
int MulDiv(int value, int numerator, int denominator) {
  const int64_t product = int64_t{value} * numerator;
  const int64_t half = denominator / 2;
  const int64_t rounded =
      product >= 0 ? (product + half) / denominator : (product - half) / denominator;
  return static_cast<int>(rounded);
}

}  // namespace

DialogBaseUnits BaseUnitsOfFont(int alphabetWidth, int fontHeight) {
  return {(alphabetWidth / 26 + 1) / 2, fontHeight};
}

int HorizontalPixels(int dialogUnits, DialogBaseUnits units) {
  return MulDiv(dialogUnits, units.x, 4);
}

int VerticalPixels(int dialogUnits, DialogBaseUnits units) {
  return MulDiv(dialogUnits, units.y, 8);
}

PixelRect ToPixels(const DluRect& rect, DialogBaseUnits units) {
  // Position and size are converted each on its own, as Windows creates template controls.
  return {HorizontalPixels(rect.x, units), VerticalPixels(rect.y, units),
          HorizontalPixels(rect.width, units), VerticalPixels(rect.height, units)};
}

}  // namespace vexa::ui
