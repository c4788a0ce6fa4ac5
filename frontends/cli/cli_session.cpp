#include "frontends/cli/cli_session.h"

#include "app/adapter_refresh.h"
#include "frontends/cli/console.h"
#include "frontends/cli/exit_codes.h"
#include "util/utf8_path.h"

namespace vexa::cli {

int CliSession::Open() {
  std::string configPath = options_.configPath;
  std::string message;
  if (configPath.empty() && !DefaultConfigPath(configPath, message)) {
    PrintError(message);
    return kExitUsage;
  }

  // The transport first: a board in virtual time gives the engine its clock.
  transport_ = options_.openTransport ? options_.openTransport(message)
                                      : OpenToolTransport(options_.simulateBoard, message);
  if (!transport_) {
    PrintError(message);
    return kExitUsage;
  }
  ctx_ = std::make_unique<IspContext>(*transport_->clock);

  if (!LoadConfiguration(*ctx_, configPath, config_, message)) {
    PrintError(configPath + ": " + message);
    return kExitUsage;
  }
  StartToolLog(log_, config_.settings.keepLogFile);

  if (!options_.tracePath.empty()) {
    trace_.open(PathFromUtf8(options_.tracePath), std::ios::binary | std::ios::trunc);
    if (!trace_) {
      PrintError("Cannot write the trace file " + options_.tracePath);
      return kExitUsage;
    }
  }
  return kExitSuccess;
}

AdapterDisplay CliSession::Detect(std::string& report) {
  AdapterRefresh refresh = DetectAndLogAdapter(transport_->backends, config_.settings,
                                               ctx_->targets[kHostTarget].ddc2biAddr, log_);
  if (refresh.transport != nullptr) {
    ctx_->activeGfxLib = refresh.transport;
    if (trace_.is_open() || options_.stats) {
      tracing_ =
          std::make_unique<TracingGfxLib>(*refresh.transport, trace_.is_open() ? &trace_ : nullptr);
      ctx_->activeGfxLib = tracing_.get();
    }
  }
  report = std::move(refresh.report);
  return refresh.display;
}

int CliSession::OpenConnected() {
  if (const int opened = Open(); opened != kExitSuccess) return opened;
  std::string report;
  const AdapterDisplay display = Detect(report);
  if (!display.ready) {
    PrintError("No chip found: " + SingleSpaced(display.adapterText) + " (" + display.statusText +
               ")");
    return kExitNoDevice;
  }
  return kExitSuccess;
}

}  // namespace vexa::cli
