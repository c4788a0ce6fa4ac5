#include "frontends/model/run_poll.h"

#include "engine/engine_log.h"
#include "tests/engine/engine_fixture.h"

namespace vexa::ui {
namespace {

using vexa::testing::EngineTest;

class RunPollTest : public EngineTest {
 protected:
  RunPollTest() { ctx.printTimeStamp = false; }

  void Log(int count) {
    for (int i = 0; i < count; ++i) AddIspLog(ctx, "line " + std::to_string(logged_++) + "\r\n");
  }

  int logged_ = 0;
};

TEST_F(RunPollTest, TakesOneLinePerLookWhileTheRunGoesOn) {
  ctx.runStatus = RunStatus::kRunning;
  Log(3);
  EXPECT_EQ(PollRunTick(ctx).texts, std::vector<std::string>{"line 0\r\n"});
  EXPECT_EQ(PollRunTick(ctx).texts, std::vector<std::string>{"line 1\r\n"});
  const RunTick tick = PollRunTick(ctx);
  EXPECT_FALSE(tick.ended);
  EXPECT_EQ(tick.texts, std::vector<std::string>{"line 2\r\n"});
  EXPECT_TRUE(PollRunTick(ctx).texts.empty());
}

TEST_F(RunPollTest, EndShowsEveryLineLeftThenTheResult) {
  ctx.runStatus = RunStatus::kRunning;
  Log(1);
  PollRunTick(ctx);
  Log(5);
  ctx.runStatus = RunStatus::kCompleted;

  const RunTick tick = PollRunTick(ctx);
  EXPECT_TRUE(tick.ended);
  EXPECT_EQ(tick.outputBackground, kGreen);
  EXPECT_EQ(tick.texts,
            (std::vector<std::string>{"line 1\r\n", "line 2\r\n", "line 3\r\n", "line 4\r\n",
                                      "line 5\r\n", "ISP completed!\r\n"}));
}

TEST_F(RunPollTest, FailureShowsTheFirstErrorDirectlyAfterTheResult) {
  ctx.runStatus = RunStatus::kFailed;
  RunTick tick = PollRunTick(ctx);
  EXPECT_EQ(tick.outputBackground, kPink);
  EXPECT_EQ(tick.texts, std::vector<std::string>{"ISP failed!\r\n"});  // no error recorded

  gfx.SetErrorRecord(-2, "Transport fault");
  SetFirstError(ctx, 6, "DdcAuxWrite failed");
  tick = PollRunTick(ctx);
  EXPECT_EQ(tick.texts,
            (std::vector<std::string>{"ISP failed!\r\n", "Gfx Error (-2): Transport fault"}));
}

TEST_F(RunPollTest, ProgressFillsTheBarAndStopsAtItsEnd) {
  ctx.runStatus = RunStatus::kRunning;
  EXPECT_EQ(PollRunTick(ctx).progressPosition, 0);  // no total yet
  ctx.progressTotal = 1000;
  ctx.progressDone = 500;
  EXPECT_EQ(PollRunTick(ctx).progressPosition, 2048);
  ctx.progressDone = 1000;
  EXPECT_EQ(PollRunTick(ctx).progressPosition, kProgressRange);
  ctx.progressDone = 1500;
  EXPECT_EQ(PollRunTick(ctx).progressPosition, kProgressRange);
}

TEST_F(RunPollTest, TargetsAreColouredOnlyWithDownstreamPorts) {
  ctx.runStatus = RunStatus::kRunning;
  ctx.targets[0].status = TargetStatus::kDone;
  ctx.targets[1].status = TargetStatus::kProgramming;
  ctx.targets[2].status = TargetStatus::kFailed;
  EXPECT_FALSE(PollRunTick(ctx).targetBackgrounds);

  ctx.portsConfigured = true;
  EXPECT_EQ(PollRunTick(ctx).targetBackgrounds,
            (std::array<Rgb, kTargetCount>{kGreen, kYellow, kPink}));
  ctx.targets[0].status = TargetStatus::kIdle;
  ctx.targets[1].status = TargetStatus::kSelected;
  EXPECT_EQ(PollRunTick(ctx).targetBackgrounds,
            (std::array<Rgb, kTargetCount>{kGrey, kGrey, kPink}));
}

}  // namespace
}  // namespace vexa::ui
