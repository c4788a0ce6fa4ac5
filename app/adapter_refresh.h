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
// hostDdcAddr; the report and its closing line go to the log file.
AdapterRefresh DetectAndLogAdapter(const GfxBackends& backends, const AppSettings& settings,
                                   uint8_t hostDdcAddr, const LogFile& log);

}  // namespace vexa
