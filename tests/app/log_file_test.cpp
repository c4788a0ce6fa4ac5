#include "app/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "testing/scratch_dir.h"

namespace vexa {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(LogFile, AppendsTextsAsTheyAreAndDeletesOnRequest) {
  const testing::ScratchDir dir;
  const std::string path = (dir / "VexaISP.log").string();
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
  const testing::ScratchDir dir;
  const LogFile log((dir / "no" / "x.log").string());
  log.Append("text\r\n");
  EXPECT_FALSE(std::filesystem::exists(log.path()));
}

}  // namespace
}  // namespace vexa
