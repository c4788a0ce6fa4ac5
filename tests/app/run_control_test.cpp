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

}  // namespace
}  // namespace vexa::testing
