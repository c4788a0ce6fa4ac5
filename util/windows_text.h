#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace vexa {

// Text is UTF-8 inside the tool; the Windows calls take and give UTF-16. Both convert every
// unit of the view, zeros included, so a fixed-size field is cut at its terminator first.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace vexa

#endif
