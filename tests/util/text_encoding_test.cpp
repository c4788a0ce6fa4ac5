#include "util/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace vexa {
namespace {

using namespace std::string_literals;

TEST(DecodeTextFile, ReadsEachEncodingAnEditorSaves) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"plain ASCII", "[A]\r\nk = v\r\n", "[A]\r\nk = v\r\n"},
      {"UTF-8 without BOM", "p = Ma\xC3\xAFs.bin", "p = Ma\xC3\xAFs.bin"},
      {"UTF-8 with BOM", "\xEF\xBB\xBFk = \xE2\x82\xAC", "k = \xE2\x82\xAC"},
      {"UTF-16 LE with BOM", "\xFF\xFE[\0A\0]\0\xE9\0"s, "[A]\xC3\xA9"},
      {"UTF-16 BE with BOM", "\xFE\xFF\0[\0A\0]\x20\xAC"s, "[A]\xE2\x82\xAC"},
      {"UTF-16 surrogate pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},
      {"UTF-16 lone surrogate and odd byte", "\xFF\xFE\x00\xD8x"s, "\xEF\xBF\xBD\xEF\xBF\xBD"},
      // Not UTF-8: the ANSI code page, Latin-1 off Windows.
      {"ANSI", "p = Ma\xEFs.bin", "p = Ma\xC3\xAFs.bin"},
      {"overlong UTF-8 is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeTextFile(c.bytes), c.text) << c.name;
}

TEST(IsValidUtf8, RefusesTruncatedAndSurrogateSequences) {
  EXPECT_TRUE(IsValidUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));
  EXPECT_FALSE(IsValidUtf8("\x80"));
}

}  // namespace
}  // namespace vexa
