#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "app/adapter_display.h"
#include "app/adapter_refresh.h"
#include "app/configuration.h"
#include "app/log_file.h"
#include "app/run_control.h"
#include "engine/isp_context.h"
#include "frontends/model/background_job.h"
#include "frontends/model/main_dialog_mode.h"
#include "frontends/model/one_step_display.h"
#include "frontends/model/run_poll.h"
#include "transport/adapter_detection.h"

namespace vexa::ui {

// The "Get FW Version" report, as the output box shows it.
struct FirmwareReport {
  std::string text;
};

// What a finished job gives the front end to show: the alternative of the job's kind.
using JobResult =
    std::variant<AdapterDisplay, FirmwareReport, VersionPanelDisplay, DevicePanelDisplay>;

// Everything the main dialog does apart from drawing: the configuration, the log file,
// adapter detection, the version queries and the runs, on one engine context. Runs on the
// user-interface thread; only the worker thread of a run or of a job works beside it, and it
// touches nothing here but the context and the transport.
class ToolSession {
 public:
  // backends: what adapter detection may try. logPath: the log file (UTF-8).
  ToolSession(IspContext& ctx, GfxBackends backends, std::string logPath);

  // Start-up: reads the configuration at configPath ("Config.ini" beside the executable when
  // empty), deletes the log file unless the configuration keeps it, and writes the log's
  // header. Returns the message for the output box when the configuration could not be read
  // (the session then goes on with the program-start settings).
  std::optional<std::string> Open(const std::string& configPath);

  // Adapter detection, "Get FW Version" and the one-step prompt's queries wait on the
  // transport, so each runs as a job on a worker thread while the user-interface thread keeps
  // painting; the front end locks its controls (DialogControls::JobStarted) and looks at the
  // job with PollJob from the same timer that looks at runs. The transport changes hands as
  // around a run: closed here before the worker starts, opened by the worker for its work and
  // closed again, opened here once PollJob has seen the end. Log-file lines are written here,
  // by PollJob. Each Start call is refused (false) while a job or a run is under way.
  //
  // Adapter detection; the detected transport becomes the engine's.
  bool StartAdapterRefresh();
  // "Get FW Version": queries every configured chip and file for the report.
  bool StartFirmwareVersions();
  // The one-step prompt: queries the chips and files for the panel of the mode.
  bool StartVersionPanelQuery();
  bool StartDevicePanelQuery();
  bool JobInProgress() const { return job_.InProgress(); }

  // The panel of the mode takes its own step after the start-up detection: the file panel
  // checks its paths again, since a detection that connects enables "Start" whatever the last
  // check said; a one-step panel starts its query. The front end names the panel it has just
  // shown, and asks for the step with each detection result it shows.
  void PanelShown(PanelKind panel) { startupPanel_ = panel; }
  enum class PanelStep { kNone, kCheckFiles, kQueryStarted };
  PanelStep StepAfterDetection();
  // One look at the job: empty while it goes on (or when none was started); on the look that
  // sees its end, what the front end shows, the log file having received its lines.
  std::optional<JobResult> PollJob();
  // Blocks until the job's work has returned; PollJob still delivers the result. For callers
  // that must not race the worker, such as tests.
  void WaitForJob();

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
  BackgroundJob job_;
  // Turns the job's work into its result on this thread, once the worker has been joined.
  std::function<JobResult()> finishJob_;
  // What the detection job found, written by its worker and read after the join.
  AdapterRefresh detected_;
  // The panel whose start-up step is still to come.
  std::optional<PanelKind> startupPanel_;

  bool StartJob(std::function<void()> work, std::function<JobResult()> finish);
  // The work of a version query: the on-board query with the transport opened for the worker.
  std::function<void()> QueryWork();
};

}  // namespace vexa::ui
