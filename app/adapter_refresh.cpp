#include "app/adapter_refresh.h"

namespace vexa {

namespace {

constexpr const char* kReportEnd = ".....................................\r\n";

}  // namespace

AdapterRefresh DetectAndLogAdapter(const GfxBackends& backends, const AppSettings& settings,
                                   uint8_t hostDdcAddr, const LogFile& log) {
  AdapterDetector detector(backends, settings.adapterType);
  uint32_t displayId = settings.presetDisplayId;
  AdapterRefresh refresh;
  const int32_t result = detector.DetectAdapter(&displayId, hostDdcAddr, &refresh.report);
  refresh.transport = detector.ActiveTransport();
  log.Append(refresh.report);
  log.Append(kReportEnd);
  refresh.display =
      DescribeAdapter(detector, settings.adapterType, result, refresh.transport, displayId);
  return refresh;
}

}  // namespace vexa
