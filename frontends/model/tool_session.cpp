#include "frontends/model/tool_session.h"

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

AdapterDisplay ToolSession::RefreshAdapter() {
  const AdapterRefresh refresh =
      DetectAndLogAdapter(backends_, config_.settings, ctx_.targets[kHostTarget].ddc2biAddr, log_);
  // A detection that opened nothing keeps the transport of the last one.
  if (refresh.transport != nullptr) ctx_.activeGfxLib = refresh.transport;
  return refresh.display;
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

RunTick ToolSession::PollRun() {
  RunTick tick = PollRunTick(ctx_);
  for (const std::string& text : tick.texts) log_.Append(text);
  if (tick.ended) runControl_.Finish();
  return tick;
}

}  // namespace vexa::ui
