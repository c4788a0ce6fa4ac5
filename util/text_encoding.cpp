#include "util/text_encoding.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>

#include "util/windows_text.h"
#endif

namespace vexa {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  const auto unit = [&](size_t i) {
    const auto a = static_cast<uint8_t>(bytes[i]);
    const auto b = static_cast<uint8_t>(bytes[i + 1]);
    return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  };
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? kReplacement : u);
  }
  if (i < bytes.size()) AppendUtf8(out, kReplacement);
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    size_t extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      c = lead & 0x07;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return false;
    i += extra + 1;
  }
  return true;
}

std::string DecodeAnsi(std::string_view bytes) {
#ifdef _WIN32
  if (bytes.empty()) return {};
  const int units =
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), units);
  return Utf8FromWide(wide);
#else
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) AppendUtf8(out, static_cast<uint8_t>(c));
  return out;
#endif
}

std::string DecodeTextFile(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return IsValidUtf8(bytes) ? std::string(bytes) : DecodeAnsi(bytes);
}

}  // namespace vexa
