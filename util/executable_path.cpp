#include "util/executable_path.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>

#include "util/windows_text.h"
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
  return Utf8FromWide(std::wstring_view(wide.data(), length));
#else
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  return path.string();
#endif
}

}  // namespace vexa
