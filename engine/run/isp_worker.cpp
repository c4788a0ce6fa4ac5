#include "engine/run/isp_worker.h"

#include <system_error>

#include "engine/run/isp_run.h"
#include "util/thread_priority.h"

namespace vexa {

bool IspWorker::Start() {
  if (thread_.joinable()) return false;
  // The previous run's final status must not be taken for this run's result.
  ctx_.runStatus.store(RunStatus::kNotStarted);
  try {
    thread_ = std::thread([this] {
      RaiseCurrentThreadPriority();
      const auto protocolStart = ctx_.clock.Now();
      const auto wallStart = std::chrono::steady_clock::now();
      GfxLib* gfx = ctx_.activeGfxLib;
      if (gfx != nullptr) gfx->Initialize();  // a failure shows in the run's first transaction
      RunIsp(ctx_);
      times_.protocol = ctx_.clock.Now() - protocolStart;
      times_.wall = std::chrono::steady_clock::now() - wallStart;
      if (gfx != nullptr) gfx->Uninitialize();
    });
  } catch (const std::system_error&) {
    // The system has no thread to give (resources exhausted): no run, and nothing throws
    // towards the front end, which reports the failure.
    return false;
  }
  return true;
}

void IspWorker::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace vexa
