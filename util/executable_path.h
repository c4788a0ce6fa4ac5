#pragma once

#include <optional>
#include <string>

namespace vexa {

// Full path (UTF-8) of the running executable; empty when the system cannot tell.
std::optional<std::string> ExecutablePath();

// Directory separator of this platform's paths.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace vexa
