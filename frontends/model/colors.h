#pragma once

#include <cstdint>

namespace vexa::ui {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colours carry meaning: red text marks a missing file or a chip that did not answer,
// grey marks a box the user cannot edit (and an idle target), and yellow, green and pink
// follow a target or a whole run through programming, success and failure.
inline constexpr Rgb kGrey{235, 235, 235};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kYellow{255, 255, 150};
inline constexpr Rgb kGreen{160, 240, 120};
inline constexpr Rgb kPink{240, 160, 180};

}  // namespace vexa::ui
