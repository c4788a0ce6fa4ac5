#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vexa {

// Paths meet the tool's UTF-8 text here, on every platform (a std::string converts through
// the system code page on some).
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace vexa
