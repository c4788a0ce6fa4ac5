#include "app/ui/tool_session.h"

#include "app/product.h"
#include "app/run_staging.h"
#include "app/version_report.h"
#include "context/onboard_query.h"

namespace vexa::ui {

ToolSession::ToolSession(IspContext& ctx, GfxBackends backends, std::string logPath)
    : ctx_(ctx), backends_(backends), log_(std::move(logPath)), worker_(ctx) {}

std::optional<std::string> ToolSession::Open(const std::string& configPath) {
  std::optional<std::string> failure;
  std::string path = configPath;
  std::string message;
  if ((path.empty() && !DefaultConfigPath(path, message)) ||
      !LoadConfiguration(ctx_, path, config_, message)) {
    failure = message;
  }
  if (!config_.settings.keepLogFile) log_.Delete();
  WriteLogHeader(log_, ProductCaption(), LocalDateTimeText());
  return failure;
}

AdapterDisplay ToolSession::RefreshAdapter() {
  const AppSettings& settings = config_.settings;
  AdapterDetector detector(backends_, settings.adapterType);
  uint32_t displayId = settings.presetDisplayId;
  std::string report;
  const int32_t result =
      detector.DetectAdapter(&displayId, ctx_.targets[kHostTarget].ddc2biAddr, &report);
  GfxLib* detected = detector.ActiveTransport();
  // A detection that opened nothing keeps the transport of the last one.
  if (detected != nullptr) ctx_.activeGfxLib = detected;
  log_.Append(report);
  log_.Append(".....................................\r\n");
  return DescribeAdapter(detector, settings.adapterType, result, detected, displayId);
}

std::string ToolSession::FirmwareVersions() {
  QueryOnBoard(ctx_, config_.fwFilePath);
  std::string report = FirmwareVersionReport(ctx_, config_);
  log_.Append(report);
  return report;
}

VersionPanelDisplay ToolSession::QueryVersionPanel() {
  QueryOnBoard(ctx_, config_.fwFilePath);
  VersionPanelDisplay display = DescribeVersionPanel(ctx_);
  log_.Append(display.logText);
  return display;
}

DevicePanelDisplay ToolSession::QueryDevicePanel() {
  QueryOnBoard(ctx_, config_.fwFilePath);
  DevicePanelDisplay display = DescribeDevicePanel(ctx_, config_.fwFilePath);
  log_.Append(display.logText);
  return display;
}

bool ToolSession::StartRun() {
  if (runInProgress_) return false;
  WriteRunSeparator(log_, LocalDateTimeText());
  // The worker resets the context as its first step; doing it here too means the dialog's
  // first looks never see the last run's status, progress or log lines as this run's.
  ResetIspContext(ctx_);
  StageRunFiles(ctx_, config_);
  GfxLib* transport = ctx_.activeGfxLib;
  // The worker opens the transport for its own thread.
  if (transport != nullptr) transport->Uninitialize();
  if (!worker_.Start()) {
    if (transport != nullptr) transport->Initialize();
    return false;
  }
  runInProgress_ = true;
  return true;
}

RunTick ToolSession::PollRun() {
  RunTick tick = PollRunTick(ctx_);
  for (const std::string& text : tick.texts) log_.Append(text);
  if (tick.ended) {
    // The worker still closes the transport after publishing the end; opening it here
    // before that would race it.
    worker_.Wait();
    if (ctx_.activeGfxLib != nullptr) ctx_.activeGfxLib->Initialize();
    runInProgress_ = false;
  }
  return tick;
}

}  // namespace vexa::ui
