#include "util/executable_path.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
#include <filesystem>
#include <system_error>
#endif

namespace vexa {

std::optional<std::string> ExecutablePath() {
#ifdef _WIN32
  std::vector<wchar_t> wide(512);
  const DWORD length = GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
  if (length == 0 || length >= wide.size()) return std::nullopt;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), nullptr,
                                        0, nullptr, nullptr);
  std::string path(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(length), path.data(), bytes,
                      nullptr, nullptr);
  return path;
#else
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return path.string();
#endif
}

}  // namespace vexa
