#pragma once

#include <cstdint>
#include <string>

#include "app/adapter_display.h"
#include "app/configuration.h"
#include "app/log_file.h"
#include "transport/adapter_detection.h"

namespace vexa {

// One adapter detection as both front ends run it.
struct AdapterRefresh {
  AdapterDisplay display;
  // The transport the detection opened; null when it opened none.
  GfxLib* transport = nullptr;
  // The detection report, as the log file received it (without the closing line).
  std::string report;
};

// Detects the adapter with the configured choice and preset port, for the chip at
// hostDdcAddr. Touches no file, so it may run on a worker thread.
AdapterRefresh DetectAdapterOnce(const GfxBackends& backends, const AppSettings& settings,
                                 uint8_t hostDdcAddr);
// The detection's report and its closing line, to the log file.
void LogAdapterReport(const AdapterRefresh& refresh, const LogFile& log);

// DetectAdapterOnce, then LogAdapterReport.
AdapterRefresh DetectAndLogAdapter(const GfxBackends& backends, const AppSettings& settings,
                                   uint8_t hostDdcAddr, const LogFile& log);

}  // namespace vexa
