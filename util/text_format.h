#pragma once

#include <string>

namespace vexa {

// printf-style formatting into a std::string, for the tool's fixed message formats
// ("... 0x%04X ... failed!").
[[gnu::format(gnu_printf, 1, 2)]] std::string StrPrintf(const char* format, ...);

}  // namespace vexa
