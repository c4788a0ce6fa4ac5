#include "app/run_control.h"

#include "app/run_staging.h"

namespace vexa {

bool RunControl::Start(const Configuration& config) {
  if (inProgress_) return false;
  WriteRunSeparator(log_, LocalDateTimeText());
  // The worker resets the context as its first step; doing it here too means the front end's
  // first looks never see the last run's status, progress or log lines as this run's.
  ResetIspContext(ctx_);
  StageRunFiles(ctx_, config);
  GfxLib* transport = ctx_.activeGfxLib;
  // The worker opens the transport for its own thread.
  if (transport != nullptr) transport->Uninitialize();
  if (!worker_.Start()) {
    if (transport != nullptr) transport->Initialize();
    return false;
  }
  inProgress_ = true;
  return true;
}

void RunControl::Finish() {
  worker_.Wait();
  if (ctx_.activeGfxLib != nullptr) ctx_.activeGfxLib->Initialize();
  inProgress_ = false;
}

}  // namespace vexa
