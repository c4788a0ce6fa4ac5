#include "frontends/model/tool_session.h"

#include <thread>
#include <utility>

#include "app/adapter_refresh.h"
#include "app/version_report.h"
#include "engine/run/onboard_query.h"

namespace vexa::ui {

ToolSession::ToolSession(IspContext& ctx, GfxBackends backends, std::string logPath)
    : ctx_(ctx), backends_(backends), log_(std::move(logPath)) {}

std::optional<std::string> ToolSession::Open(const std::string& configPath) {
  std::optional<std::string> failure;
  std::string path = configPath;
  std::string message;
  if ((path.empty() && !DefaultConfigPath(path, message)) ||
      !LoadConfiguration(ctx_, path, config_, message)) {
    failure = message;
  }
  StartToolLog(log_, config_.settings.keepLogFile);
  return failure;
}

bool ToolSession::StartJob(std::function<void()> work, std::function<JobResult()> finish) {
  if (job_.InProgress() || runControl_.InProgress()) return false;
  if (ctx_.activeGfxLib != nullptr) ctx_.activeGfxLib->Uninitialize();
  finishJob_ = std::move(finish);
  return job_.Start(std::move(work));
}

std::optional<JobResult> ToolSession::PollJob() {
  if (!job_.InProgress() || !job_.Ended()) return std::nullopt;
  job_.Finish();
  if (ctx_.activeGfxLib != nullptr) ctx_.activeGfxLib->Initialize();
  return finishJob_();
}

void ToolSession::WaitForJob() {
  while (job_.InProgress() && !job_.Ended()) std::this_thread::yield();
}

bool ToolSession::StartAdapterRefresh() {
  const uint8_t hostDdcAddr = ctx_.targets[kHostTarget].ddc2biAddr;
  return StartJob(
      [this, settings = config_.settings, hostDdcAddr] {
        detected_ = DetectAdapterOnce(backends_, settings, hostDdcAddr);
        // Detection opened the transport for this thread; the user-interface thread opens it
        // again for its own.
        if (detected_.transport != nullptr) detected_.transport->Uninitialize();
      },
      [this]() -> JobResult {
        // A detection that opened nothing keeps the transport of the last one.
        if (detected_.transport != nullptr) ctx_.activeGfxLib = detected_.transport;
        LogAdapterReport(detected_, log_);
        return detected_.display;
      });
}

std::function<void()> ToolSession::QueryWork() {
  // The paths are copied: the file panel may change the configuration while the query runs.
  return [this, gfx = ctx_.activeGfxLib, fwFilePath = config_.fwFilePath] {
    if (gfx != nullptr) gfx->Initialize();
    QueryOnBoard(ctx_, fwFilePath);
    if (gfx != nullptr) gfx->Uninitialize();
  };
}

bool ToolSession::StartFirmwareVersions() {
  return StartJob(QueryWork(), [this]() -> JobResult {
    FirmwareReport report{FirmwareVersionReport(ctx_, config_)};
    log_.Append(report.text);
    return report;
  });
}

bool ToolSession::StartVersionPanelQuery() {
  return StartJob(QueryWork(), [this]() -> JobResult {
    VersionPanelDisplay display = DescribeVersionPanel(ctx_);
    log_.Append(display.logText);
    return display;
  });
}

bool ToolSession::StartDevicePanelQuery() {
  return StartJob(QueryWork(), [this]() -> JobResult {
    DevicePanelDisplay display = DescribeDevicePanel(ctx_, config_.fwFilePath);
    log_.Append(display.logText);
    return display;
  });
}

ToolSession::PanelStep ToolSession::StepAfterDetection() {
  const std::optional<PanelKind> panel = std::exchange(startupPanel_, std::nullopt);
  if (!panel) return PanelStep::kNone;
  bool started = false;
  switch (*panel) {
    case PanelKind::kFiles:
      return PanelStep::kCheckFiles;
    case PanelKind::kDevices:
      started = StartDevicePanelQuery();
      break;
    case PanelKind::kVersion:
      started = StartVersionPanelQuery();
      break;
  }
  return started ? PanelStep::kQueryStarted : PanelStep::kNone;
}

RunTick ToolSession::PollRun() {
  RunTick tick = PollRunTick(ctx_);
  for (const std::string& text : tick.texts) log_.Append(text);
  if (tick.ended) runControl_.Finish();
  return tick;
}

}  // namespace vexa::ui
