#pragma once

#include <optional>
#include <string>

#include "app/adapter_display.h"
#include "app/configuration.h"
#include "app/log_file.h"
#include "app/run_control.h"
#include "engine/isp_context.h"
#include "frontends/model/one_step_display.h"
#include "frontends/model/run_poll.h"
#include "transport/adapter_detection.h"

namespace vexa::ui {

// Everything the main dialog does apart from drawing: the configuration, the log file,
// adapter detection, the version queries and the runs, on one engine context. Runs on the
// user-interface thread; only a run's worker thread works beside it, and it touches nothing
// here but the context and the transport.
class ToolSession {
 public:
  // backends: what adapter detection may try. logPath: the log file (UTF-8).
  ToolSession(IspContext& ctx, GfxBackends backends, std::string logPath);

  // Start-up: reads the configuration at configPath ("Config.ini" beside the executable when
  // empty), deletes the log file unless the configuration keeps it, and writes the log's
  // header. Returns the message for the output box when the configuration could not be read
  // (the session then goes on with the program-start settings).
  std::optional<std::string> Open(const std::string& configPath);

  // Adapter detection with the report written to the log file; the detected transport
  // becomes the engine's.
  AdapterDisplay RefreshAdapter();

  // "Get FW Version": queries every configured chip and file and returns the report, which
  // the log file also receives. Blocks while the chips are queried.
  std::string FirmwareVersions();

  // The one-step prompt: queries the chips and files and returns what the panel shows (the
  // log file receives its lines).
  VersionPanelDisplay QueryVersionPanel();
  DevicePanelDisplay QueryDevicePanel();

  // "Start": writes the run separator to the log, loads every target's files, closes the
  // transport on this thread and starts the worker. False when the worker could not be
  // started (the transport is then open again on this thread). No run may be under way.
  bool StartRun() { return runControl_.Start(config_); }
  bool RunInProgress() const { return runControl_.InProgress(); }
  // One look at the run, its texts written to the log file. The look that sees the end waits
  // for the worker thread to finish with the transport, then opens it again on this thread.
  RunTick PollRun();
  // Blocks until the worker thread of the current run has ended; PollRun still reports the
  // end. For callers that must not race the worker, such as tests.
  void WaitForWorker() { runControl_.WaitForWorker(); }

  Configuration& config() { return config_; }
  const Configuration& config() const { return config_; }
  const IspContext& ctx() const { return ctx_; }

 private:
  IspContext& ctx_;
  GfxBackends backends_;
  LogFile log_;
  Configuration config_;
  RunControl runControl_{ctx_, log_};
};

}  // namespace vexa::ui
