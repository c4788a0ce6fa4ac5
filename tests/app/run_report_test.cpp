#include "app/run_report.h"

#include "tests/engine/engine_fixture.h"

namespace vexa::testing {
namespace {

TEST(ProgressPercent, ZeroWithoutATotalAndFullAtTheEnd) {
  EXPECT_EQ(ProgressPercent(5, 0), 0u);
  EXPECT_EQ(ProgressPercent(1234, 1234), 100u);
  EXPECT_EQ(ProgressPercent(1, 3), 33u);
  // Never beyond 100 and never wrapped: 8192 of 2200 once showed as 116 % 256.
  EXPECT_EQ(ProgressPercent(8192, 2200), 100u);
  EXPECT_EQ(ProgressPercent(0xFFFFFFFF, 0xFFFFFFFE), 100u);
  EXPECT_EQ(ProgressPercent(0xFFFFFFFE, 0xFFFFFFFF), 99u);
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

  // A held code-0 record is the failed target's error and is shown.
  SetFirstError(ctx, 0, "Getting DPCD buffer info... failed! (Buffer size = 0)");
  ctx.firstErrorHeld = true;
  EXPECT_EQ(DescribeRunResult(ctx, RunStatus::kFailed).errorLine,
            "Error (0): Getting DPCD buffer info... failed! (Buffer size = 0)");
  ClearFirstError(ctx);

  gfx.SetErrorRecord(-3, "NVAPI not implemented!");
  SetFirstError(ctx, 6, "ignored");
  EXPECT_EQ(DescribeRunResult(ctx, RunStatus::kFailed).errorLine,
            "Gfx Error (-3): NVAPI not implemented!");
}

}  // namespace
}  // namespace vexa::testing
