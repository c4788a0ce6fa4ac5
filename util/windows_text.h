#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace vexa {

// Text is UTF-8 inside the tool; the Windows calls take and give UTF-16. Both conversions
// stop at the view's end, not at a zero, so a view may be a whole fixed-size field.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace vexa

#endif
