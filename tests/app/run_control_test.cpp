#include "app/run_control.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "testing/scratch_dir.h"
#include "testing/scripted_gfx.h"
#include "util/clock.h"

namespace vexa::testing {
namespace {

// Records which thread opens and closes the transport, in order.
class HandOverGfx : public ScriptedGfx {
 public:
  struct Call {
    bool open;
    std::thread::id thread;
    bool operator==(const Call&) const = default;
  };

  int32_t Initialize() override {
    calls.push_back({true, std::this_thread::get_id()});
    return 0;
  }
  void Uninitialize() override { calls.push_back({false, std::this_thread::get_id()}); }

  std::vector<Call> calls;
};

// A run without files ends at once ("No available ISP file!"), which is all the hand-over
// needs: the user thread closes the transport, the worker opens and closes it, and the user
// thread opens it again only after the worker has ended.
TEST(RunControl, HandsTheTransportToTheWorkerAndBack) {
  VirtualClock clock;
  IspContext ctx{clock};
  HandOverGfx gfx;
  ctx.activeGfxLib = &gfx;
  const ScratchDir dir;
  const LogFile log((dir / "VexaISP.log").string());
  RunControl run(ctx, log);
  const Configuration noFiles;

  ASSERT_TRUE(run.Start(noFiles));
  EXPECT_TRUE(run.InProgress());
  EXPECT_FALSE(run.Start(noFiles));  // one run at a time
  run.WaitForWorker();
  EXPECT_TRUE(HasRunEnded(ctx.runStatus.load()));
  EXPECT_TRUE(run.InProgress());  // until the front end has seen the end
  run.Finish();
  EXPECT_FALSE(run.InProgress());

  ASSERT_EQ(gfx.calls.size(), 4u);
  const std::thread::id user = std::this_thread::get_id();
  const std::thread::id worker = gfx.calls[1].thread;
  EXPECT_NE(worker, user);
  EXPECT_EQ(gfx.calls, (std::vector<HandOverGfx::Call>{
                           {false, user}, {true, worker}, {false, worker}, {true, user}}));

  // One run separator (the date between two dashed lines): the refused Start wrote nothing.
  std::ifstream in(dir / "VexaISP.log", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const std::string dashedLine = std::string(37, '-') + "\r\n";
  size_t dashedLines = 0;
  for (size_t at = text.str().find(dashedLine); at != std::string::npos;
       at = text.str().find(dashedLine, at + 1)) {
    ++dashedLines;
  }
  EXPECT_EQ(dashedLines, 2u);
}

// A transport whose opening takes the engine's clock 7 ms: the only wait inside the run.
class SlowOpeningGfx : public ScriptedGfx {
 public:
  explicit SlowOpeningGfx(Clock& clock) : clock_(clock) {}
  int32_t Initialize() override {
    clock_.Sleep(std::chrono::milliseconds(7));
    return 0;
  }

 private:
  Clock& clock_;
};

// The run's times are its worker's own: waits of the caller around the run are not in them.
TEST(RunControl, TimesTheRunFromItsWorker) {
  VirtualClock clock;
  IspContext ctx{clock};
  SlowOpeningGfx gfx(clock);
  ctx.activeGfxLib = &gfx;
  const ScratchDir dir;
  const LogFile log((dir / "VexaISP.log").string());
  RunControl run(ctx, log);

  const auto wallStart = std::chrono::steady_clock::now();
  ASSERT_TRUE(run.Start(Configuration{}));
  run.WaitForWorker();
  clock.Sleep(std::chrono::milliseconds(50));  // a front end's polling period
  run.Finish();
  const auto wallAround = std::chrono::steady_clock::now() - wallStart;

  EXPECT_EQ(run.LastRunTimes().protocol, std::chrono::milliseconds(7));
  EXPECT_GT(run.LastRunTimes().wall.count(), 0);
  EXPECT_LE(run.LastRunTimes().wall, wallAround);
}

}  // namespace
}  // namespace vexa::testing
