#include "frontends/cli/console.h"

#include <gtest/gtest.h>

#include "frontends/cli/progress_bar.h"

namespace vexa::cli {
namespace {

TEST(ConsoleText, TurnsTheToolsLineEndsIntoConsoleOnes) {
  EXPECT_EQ(ConsoleText("ISP completed!\r\n"), "ISP completed!\n");
  EXPECT_EQ(ConsoleText("a\r\nb\rc\n"), "a\nb\rc\n");
  EXPECT_EQ(ConsoleText(""), "");
}

TEST(ProgressBarText, FillsInProportionAndCapsAtOneHundred) {
  EXPECT_EQ(ProgressBarText(0), "[" + std::string(40, '.') + "]   0%");
  EXPECT_EQ(ProgressBarText(50), "[" + std::string(20, '#') + std::string(20, '.') + "]  50%");
  EXPECT_EQ(ProgressBarText(250), "[" + std::string(40, '#') + "] 100%");
}

}  // namespace
}  // namespace vexa::cli
