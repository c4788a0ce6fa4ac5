#include "util/utf16_text.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(Utf16Text, CountsUnitsAsUtf16Does) {
  EXPECT_EQ(Utf16Length(""), 0u);
  EXPECT_EQ(Utf16Length("abc"), 3u);
  EXPECT_EQ(Utf16Length("\xC3\xA9"), 1u);          // é: one unit
  EXPECT_EQ(Utf16Length("\xE2\x82\xAC"), 1u);      // €: one unit
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // emoji: a surrogate pair
}

TEST(Utf16Text, CutsWithoutSplittingACharacter) {
  EXPECT_EQ(CutToUtf16Units("abcdef", 4), "abcd");
  EXPECT_EQ(CutToUtf16Units("ab\xC3\xA9", 3), "ab\xC3\xA9");
  // The surrogate pair would need units 3 and 4: it is dropped whole.
  EXPECT_EQ(CutToUtf16Units("ab\xF0\x9F\x98\x80", 3), "ab");
  EXPECT_EQ(CutToUtf16Units("short", 100), "short");
}

}  // namespace
}  // namespace vexa
