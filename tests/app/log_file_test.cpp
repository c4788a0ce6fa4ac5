#include "app/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vexa {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(LogFile, AppendsTextsAsTheyAreAndDeletesOnRequest) {
  const std::string path = ::testing::TempDir() + "/log_file_test.log";
  const LogFile log(path);
  log.Delete();
  log.Delete();  // a missing file is no error

  WriteLogHeader(log, "Korvane Travik Tool v5.1", "DATE");
  WriteRunSeparator(log, "DATE2");
  // Longer than the 2047 bytes a fixed buffer would take: written whole.
  const std::string longLine = std::string(3000, 'x') + "\r\n";
  log.Append(longLine);
  log.Append("");

  EXPECT_EQ(ReadAll(path),
            "Korvane Travik Tool v5.1\r\n====================================\r\nDATE"
            "\r\n====================================\r\n"
            "-------------------------------------\r\nDATE2"
            "\r\n-------------------------------------\r\n" +
                longLine);
  log.Delete();
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(LogFile, UnwritablePathIsSkippedSilently) {
  const LogFile log(::testing::TempDir() + "/no/such/dir/x.log");
  log.Append("text\r\n");
  EXPECT_FALSE(std::filesystem::exists(log.path()));
}

}  // namespace
}  // namespace vexa
