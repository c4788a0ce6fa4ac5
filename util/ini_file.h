#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// One "key = value" line. The value is trimmed and has its comment removed.
struct IniEntry {
  std::string key;
  std::string value;
  // 1-based line of the file, for error messages.
  int line = 0;
};

struct IniSection {
  std::string name;
  int line = 0;
  std::vector<IniEntry> entries;

  // The first entry named key, compared without regard to ASCII case; null when absent.
  const IniEntry* Find(std::string_view key) const;
};

// A line the reader could not take: neither a section header, a "key = value" line, a
// comment nor blank, or a key before the first section. Readers that must be strict report
// it; lenient ones (as the platform's INI functions are) skip it.
struct IniIssue {
  int line = 0;
  std::string message;
};

// An INI text split into sections and entries, in file order. Section and key names compare
// without regard to ASCII case and the first occurrence wins, so a repeated section or key
// is never consulted. A ';' at the start of a line or after white space starts a comment.
class IniDocument {
 public:
  // Never fails: lines it cannot take are listed in issues().
  static IniDocument Parse(std::string_view text);

  // The first section named name; null when absent.
  const IniSection* FindSection(std::string_view name) const;

  const std::vector<IniSection>& sections() const { return sections_; }
  const std::vector<IniIssue>& issues() const { return issues_; }

 private:
  std::vector<IniSection> sections_;
  std::vector<IniIssue> issues_;
};

struct IniLoadResult {
  // Empty when the file could not be read; error then says why.
  std::optional<IniDocument> document;
  std::string error;
};

// Reads and parses the file at path, in any encoding DecodeTextFile knows.
IniLoadResult LoadIniFile(const std::filesystem::path& path);

// An INI integer: decimal with an optional sign, or hexadecimal after "0x" / "0X". The whole
// text must be the number (surrounding blanks aside); empty when it is not or does not fit.
std::optional<int64_t> ParseIniInteger(std::string_view text);

// ASCII case-insensitive equality, as INI names compare.
bool IniNamesEqual(std::string_view a, std::string_view b);

}  // namespace vexa
