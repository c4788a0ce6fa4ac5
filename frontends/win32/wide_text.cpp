#include "frontends/win32/wide_text.h"

#include <windows.h>

namespace vexa::win32 {

std::wstring ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring MultiLineText(std::string_view text) {
  std::wstring lines;
  wchar_t previous = L'\0';
  for (wchar_t c : ToWide(text)) {
    if (c == L'\n' && previous != L'\r') lines += L'\r';
    lines += c;
    previous = c;
  }
  return lines;
}

std::wstring OneLineText(std::string_view text) {
  std::wstring line;
  for (wchar_t c : ToWide(text)) {
    if (c != L'\r' && c != L'\n') line += c;
  }
  return line;
}

}  // namespace vexa::win32
