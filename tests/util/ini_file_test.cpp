#include "util/ini_file.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(IniFile, SectionsAndKeysAreFoundWhateverTheirCase) {
  const IniDocument document = IniDocument::Parse(
      "\xEF\xBB\xBF; leading comment\r\n"
      "[Firmware Update]\r\n"
      "  Path = C:\\fw\\a;b.bin   ; a ';' inside a word stays\r\n"
      "Empty =\r\n"
      "\r\n"
      "[other]\n"
      "key=value with blanks  \n");
  EXPECT_TRUE(document.issues().empty());
  ASSERT_EQ(document.sections().size(), 2u);

  const IniSection* update = document.FindSection("FIRMWARE UPDATE");
  ASSERT_NE(update, nullptr);
  EXPECT_EQ(update->line, 2);
  const IniEntry* path = update->Find("path");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->value, "C:\\fw\\a;b.bin");
  EXPECT_EQ(path->line, 3);
  EXPECT_EQ(update->Find("Empty")->value, "");
  EXPECT_EQ(update->Find("missing"), nullptr);
  EXPECT_EQ(document.FindSection("Other")->Find("KEY")->value, "value with blanks");
  EXPECT_EQ(document.FindSection("absent"), nullptr);
}

TEST(IniFile, TheFirstOccurrenceWins) {
  const IniDocument document = IniDocument::Parse("[a]\nk = 1\nK = 2\n[A]\nk = 3\nj = 4\n");
  EXPECT_EQ(document.FindSection("a")->Find("k")->value, "1");
  // A repeated section is never consulted: its keys are not merged into the first.
  EXPECT_EQ(document.FindSection("a")->Find("j"), nullptr);
}

TEST(IniFile, LinesItCannotTakeAreListedWithTheirNumbers) {
  const IniDocument document =
      IniDocument::Parse("orphan = 1\n[ok]\nno equals sign\n= no key\n[unclosed\n[]\n[x] y\n");
  ASSERT_EQ(document.issues().size(), 6u);
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "key outside any section"},  {3, "expected \"key = value\""},
      {4, "expected \"key = value\""}, {5, "malformed section header"},
      {6, "malformed section header"}, {7, "malformed section header"}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(document.issues()[i].line, expected[i].first);
    EXPECT_EQ(document.issues()[i].message, expected[i].second);
  }
  EXPECT_EQ(document.sections().size(), 1u);
}

TEST(IniFile, IntegersAreDecimalWithSignOrHexadecimal) {
  const std::vector<std::pair<const char*, std::optional<int64_t>>> cases = {
      {"0", 0},
      {"  42 ", 42},
      {"+7", 7},
      {"-1500", -1500},
      {"0x1D", 0x1D},
      {"0XffB2", 0xFFB2},
      {"-0x10", -16},
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"9223372036854775808", std::nullopt},
      {"", std::nullopt},
      {"0x", std::nullopt},
      {"12ab", std::nullopt},
      {"1 2", std::nullopt},
      {"--1", std::nullopt},
      {"0x-1", std::nullopt},
      {"1.5", std::nullopt},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseIniInteger(text), value) << text;
}

TEST(IniFile, AFileThatCannotBeOpenedSaysSo) {
  const IniLoadResult loaded = LoadIniFile("/nonexistent/vexa/board.ini");
  EXPECT_FALSE(loaded.document);
  EXPECT_EQ(loaded.error, "cannot be opened");
}

}  // namespace
}  // namespace vexa
