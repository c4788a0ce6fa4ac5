#include "frontends/win32/wide_text.h"

#include "util/windows_text.h"

namespace vexa::win32 {

std::wstring MultiLineText(std::string_view text) {
  std::wstring lines;
  wchar_t previous = L'\0';
  for (wchar_t c : WideFromUtf8(text)) {
    if (c == L'\n' && previous != L'\r') lines += L'\r';
    lines += c;
    previous = c;
  }
  return lines;
}

std::wstring OneLineText(std::string_view text) {
  std::wstring line;
  for (wchar_t c : WideFromUtf8(text)) {
    if (c != L'\r' && c != L'\n') line += c;
  }
  return line;
}

}  // namespace vexa::win32
