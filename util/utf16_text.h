#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexa {

// Text is UTF-8 inside the tool, but some limits are stated in UTF-16 code units (the log
// line buffer, path buffers). These count and cut UTF-8 text in those units.

// Number of UTF-16 code units the text takes (characters outside the BMP count two).
size_t Utf16Length(std::string_view text);

// The longest prefix of text that fits in maxUnits UTF-16 code units, never splitting a
// character.
std::string CutToUtf16Units(std::string_view text, size_t maxUnits);

}  // namespace vexa
