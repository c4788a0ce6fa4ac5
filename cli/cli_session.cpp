#include "cli/cli_session.h"

#include "cli/console.h"
#include "cli/exit_codes.h"
#include "util/utf8_path.h"

namespace vexa::cli {

namespace {

constexpr const char* kReportEnd = ".....................................\r\n";

}  // namespace

int CliSession::Open() {
  std::string configPath = options_.configPath;
  std::string message;
  if (configPath.empty() && !DefaultConfigPath(configPath, message)) {
    PrintError(message);
    return kExitUsage;
  }

  // The transport first: a board in virtual time gives the engine its clock.
  if (!options_.simulateBoard.empty()) {
    std::string error;
    simulated_ = LoadSimulatedBoard(options_.simulateBoard, error);
    if (!simulated_) {
      PrintError("Board file: " + error);
      return kExitUsage;
    }
    clock_ = simulated_->clock.get();
  } else {
    system_ = std::make_unique<SystemBackends>(realClock_);
  }
  ctx_ = std::make_unique<IspContext>(*clock_);

  if (!LoadConfiguration(*ctx_, configPath, config_, message)) {
    PrintError(configPath + ": " + message);
    return kExitUsage;
  }
  if (!config_.settings.keepLogFile) log_.Delete();
  WriteLogHeader(log_, ProductCaption(), LocalDateTimeText());

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
  GfxBackends backends = system_ ? system_->Backends() : GfxBackends{};
  if (simulated_) backends.simulator = simulated_->gfx.get();
  AdapterDetector detector(backends, config_.settings.adapterType);

  uint32_t displayId = config_.settings.presetDisplayId;
  const int32_t result =
      detector.DetectAdapter(&displayId, ctx_->targets[kHostTarget].ddc2biAddr, &report);
  detected_ = detector.ActiveTransport();
  if (detected_ != nullptr) {
    ctx_->activeGfxLib = detected_;
    if (trace_.is_open() || options_.stats) {
      tracing_ = std::make_unique<TracingGfxLib>(*detected_, trace_.is_open() ? &trace_ : nullptr);
      ctx_->activeGfxLib = tracing_.get();
    }
  }
  log_.Append(report);
  log_.Append(kReportEnd);
  return DescribeAdapter(detector, config_.settings.adapterType, result, detected_, displayId);
}

}  // namespace vexa::cli
