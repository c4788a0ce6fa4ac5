#pragma once

#include <string>
#include <string_view>

namespace vexa::win32 {

// The tool's text is UTF-8 inside; the Win32 calls take and give UTF-16.
std::wstring ToWide(std::string_view text);
std::string ToUtf8(std::wstring_view text);

// Text for a multi-line box: the engine's lines end in "\r\n", which the edit control needs;
// a bare "\n" becomes "\r\n" as well.
std::wstring MultiLineText(std::string_view text);

// Text for a one-line box or label: messages that end in "\r\n" show without it.
std::wstring OneLineText(std::string_view text);

}  // namespace vexa::win32
