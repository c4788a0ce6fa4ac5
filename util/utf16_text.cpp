#include "util/utf16_text.h"

namespace vexa {

namespace {

// Length in bytes of the UTF-8 sequence that starts with lead, and its UTF-16 units. A byte
// that cannot start a sequence counts as one unit of its own, as a converter would replace it.
struct Utf8Step {
  size_t bytes;
  size_t units;
};

Utf8Step StepAt(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  size_t bytes = 1;
  if (lead >= 0xF0 && lead < 0xF8) {
    bytes = 4;
  } else if (lead >= 0xE0) {
    bytes = 3;
  } else if (lead >= 0xC0) {
    bytes = 2;
  }
  if (lead >= 0xF8 || pos + bytes > text.size()) return {1, 1};
  return {bytes, bytes == 4 ? size_t{2} : size_t{1}};
}

}  // namespace

size_t Utf16Length(std::string_view text) {
  size_t units = 0;
  for (size_t pos = 0; pos < text.size();) {
    const Utf8Step step = StepAt(text, pos);
    units += step.units;
    pos += step.bytes;
  }
  return units;
}

std::string CutToUtf16Units(std::string_view text, size_t maxUnits) {
  size_t units = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    const Utf8Step step = StepAt(text, pos);
    if (units + step.units > maxUnits) break;
    units += step.units;
    pos += step.bytes;
  }
  return std::string(text.substr(0, pos));
}

}  // namespace vexa
