#pragma once

#include <string>

namespace vexa {

// printf-style formatting into a std::string, for the tool's fixed message formats
// ("... 0x%04X ... failed!").
// GCC checks the C99 formats (%zu, %lld) the tool relies on, also for MinGW, as gnu_printf;
// clang knows only printf, which checks them the same way.
#ifdef __clang__
[[gnu::format(printf, 1, 2)]]
#else
[[gnu::format(gnu_printf, 1, 2)]]
#endif
std::string
StrPrintf(const char* format, ...);

}  // namespace vexa
