#pragma once

namespace vexa::ui {

// A rectangle in dialog units, as the dialog templates give their controls.
struct DluRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A rectangle in pixels, in its parent's client coordinates.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int right() const { return x + width; }
  int bottom() const { return y + height; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Pixels per four horizontal and per eight vertical dialog units.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
  friend bool operator==(const DialogBaseUnits&, const DialogBaseUnits&) = default;
};

// The base units of a dialog font the way Windows derives them, so that the templates come
// out at the size they were drawn for: alphabetWidth is the width of the 52 letters A-Z and
// a-z in that font, fontHeight its ascent plus descent.
DialogBaseUnits BaseUnitsOfFont(int alphabetWidth, int fontHeight);

// Converts with Windows' rounding (to nearest, halves away from zero).
PixelRect ToPixels(const DluRect& rect, DialogBaseUnits units);
int HorizontalPixels(int dialogUnits, DialogBaseUnits units);
int VerticalPixels(int dialogUnits, DialogBaseUnits units);

// The text whose width BaseUnitsOfFont expects.
inline constexpr const char* kBaseUnitAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

}  // namespace vexa::ui
