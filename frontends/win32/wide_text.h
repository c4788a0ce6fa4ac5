#pragma once

#include <string>
#include <string_view>

namespace vexa::win32 {

// Text for a multi-line box: the engine's lines end in "\r\n", which the edit control needs;
// a bare "\n" becomes "\r\n" as well.
std::wstring MultiLineText(std::string_view text);

// Text for a one-line box or label: messages that end in "\r\n" show without it.
std::wstring OneLineText(std::string_view text);

}  // namespace vexa::win32
