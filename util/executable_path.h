#pragma once

#include <optional>
#include <string>

namespace vexa {

// Full path (UTF-8) of the running executable; empty when the system cannot tell.
std::optional<std::string> ExecutablePath();

// The characters that end a folder in this platform's paths: Windows takes '/' as well as '\\'.
#ifdef _WIN32
inline constexpr const char* kPathSeparators = "\\/";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

}  // namespace vexa
