#include "util/ini_file.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

#include "util/text_encoding.h"

namespace vexa {

namespace {

constexpr std::string_view kBlanks = " \t\r\f\v";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Cuts a trailing comment: a ';' that opens the text or follows a blank. A ';' inside a word
// ("a;b") is kept, so values such as paths may contain one.
std::string_view StripComment(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ';' && (i == 0 || kBlanks.find(text[i - 1]) != std::string_view::npos)) {
      return text.substr(0, i);
    }
  }
  return text;
}

std::optional<int64_t> ParseDigits(std::string_view digits, int base, bool negative) {
  if (digits.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (negative) {
    if (magnitude > kMax + 1) return std::nullopt;
    return magnitude == kMax + 1 ? std::numeric_limits<int64_t>::min()
                                 : -static_cast<int64_t>(magnitude);
  }
  if (magnitude > kMax) return std::nullopt;
  return static_cast<int64_t>(magnitude);
}

}  // namespace

bool IniNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

const IniEntry* IniSection::Find(std::string_view key) const {
  for (const IniEntry& entry : entries) {
    if (IniNamesEqual(entry.key, key)) return &entry;
  }
  return nullptr;
}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument document;
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());

  int lineNumber = 0;
  while (!text.empty() || lineNumber == 0) {
    ++lineNumber;
    const size_t end = text.find('\n');
    const std::string_view rawLine = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);

    const std::string_view line = Trim(StripComment(rawLine));
    if (line.empty()) continue;

    if (line.front() == '[') {
      const size_t close = line.find(']');
      const std::string_view name =
          close == std::string_view::npos ? std::string_view{} : Trim(line.substr(1, close - 1));
      if (close == std::string_view::npos || name.empty() ||
          !Trim(line.substr(close + 1)).empty()) {
        document.issues_.push_back({lineNumber, "malformed section header"});
        continue;
      }
      document.sections_.push_back({std::string(name), lineNumber, {}});
      continue;
    }

    const size_t equals = line.find('=');
    const std::string_view key =
        equals == std::string_view::npos ? std::string_view{} : Trim(line.substr(0, equals));
    if (key.empty()) {
      document.issues_.push_back({lineNumber, "expected \"key = value\""});
      continue;
    }
    if (document.sections_.empty()) {
      document.issues_.push_back({lineNumber, "key outside any section"});
      continue;
    }
    document.sections_.back().entries.push_back(
        {std::string(key), std::string(Trim(line.substr(equals + 1))), lineNumber});
  }
  return document;
}

const IniSection* IniDocument::FindSection(std::string_view name) const {
  for (const IniSection& section : sections_) {
    if (IniNamesEqual(section.name, name)) return &section;
  }
  return nullptr;
}

IniLoadResult LoadIniFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {std::nullopt, "cannot be opened"};
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) return {std::nullopt, "cannot be read"};
  return {IniDocument::Parse(DecodeTextFile(content.str())), {}};
}

std::optional<int64_t> ParseIniInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.size() > 2 && text[0] == '0' && LowerAscii(text[1]) == 'x') {
    return ParseDigits(text.substr(2), 16, negative);
  }
  return ParseDigits(text, 10, negative);
}

}  // namespace vexa
