#pragma once

#include "app/configuration.h"
#include "app/log_file.h"
#include "engine/isp_context.h"
#include "engine/run/isp_worker.h"

namespace vexa {

// What a front end shows when RunControl::Start could not start the worker thread.
inline constexpr const char* kRunStartFailed = "Start Vexa ISP work thread... failed!\r\n";

// Starts and ends ISP runs for a front end on its own thread: the run separator in the log
// file, the context reset, every target's files loaded, and the hand-over of the transport to
// the worker thread and back. The front end watches the run in between.
class RunControl {
 public:
  RunControl(IspContext& ctx, const LogFile& log) : ctx_(ctx), log_(log), worker_(ctx) {}

  // Writes the run separator, resets the context, loads every target's files, closes the
  // transport on this thread and starts the worker. False when a run is under way or the
  // worker could not be started; the transport is then open on this thread again.
  bool Start(const Configuration& config);
  bool InProgress() const { return inProgress_; }
  // Once the run's end has been seen: waits for the worker, which still closes the transport
  // after publishing the end, then opens the transport again on this thread.
  void Finish();
  // Blocks until the worker thread has ended; the run stays in progress until Finish. For
  // callers that must not race the worker, such as tests.
  void WaitForWorker() { worker_.Wait(); }
  // The last run's protocol and wall time, measured by its worker; valid after Finish.
  const RunTimes& LastRunTimes() const { return worker_.LastRunTimes(); }

 private:
  IspContext& ctx_;
  const LogFile& log_;
  IspWorker worker_;
  bool inProgress_ = false;
};

}  // namespace vexa
