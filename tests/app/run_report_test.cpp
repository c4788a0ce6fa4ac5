#include "app/run_report.h"

#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

TEST(ProgressPercent, ZeroWithoutATotalAndFullAtTheEnd) {
  EXPECT_EQ(ProgressPercent(5, 0), 0u);
  EXPECT_EQ(ProgressPercent(1234, 1234), 100u);
  EXPECT_EQ(ProgressPercent(1, 3), 33u);
}

class RunReportTest : public EngineTest {};

TEST_F(RunReportTest, ResultAndErrorLines) {
  RunResultLines lines = DescribeRunResult(ctx, RunStatus::kCompleted);
  EXPECT_TRUE(lines.completed);
  EXPECT_EQ(lines.result, "ISP completed!\r\n");
  EXPECT_EQ(lines.errorLine, "");

  lines = DescribeRunResult(ctx, RunStatus::kFailed);
  EXPECT_EQ(lines.result, "ISP failed!\r\n");
  EXPECT_EQ(lines.errorLine, "");  // no first error: no line

  gfx.SetErrorRecord(-3, "NVAPI not implemented!");
  SetFirstError(ctx, 6, "ignored");
  EXPECT_EQ(DescribeRunResult(ctx, RunStatus::kFailed).errorLine,
            "Gfx Error (-3): NVAPI not implemented!");
}

}  // namespace
}  // namespace vexa::testing
