#include "context/isp_worker.h"

#include "context/isp_run.h"
#include "util/thread_priority.h"

namespace vexa {

bool IspWorker::Start() {
  if (thread_.joinable()) return false;
  // The previous run's final status must not be taken for this run's result.
  ctx_.runStatus.store(RunStatus::kNotStarted);
  thread_ = std::thread([this] {
    RaiseCurrentThreadPriority();
    GfxLib* gfx = ctx_.activeGfxLib;
    if (gfx != nullptr) gfx->Initialize();  // a failure shows in the run's first transaction
    RunIsp(ctx_);
    if (gfx != nullptr) gfx->Uninitialize();
  });
  return true;
}

void IspWorker::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace vexa
