#include "app/adapter_refresh.h"

namespace vexa {

namespace {

constexpr const char* kReportEnd = ".....................................\r\n";

}  // namespace

AdapterRefresh DetectAdapterOnce(const GfxBackends& backends, const AppSettings& settings,
                                 uint8_t hostDdcAddr) {
  AdapterDetector detector(backends, settings.adapterType);
  uint32_t displayId = settings.presetDisplayId;
  AdapterRefresh refresh;
  const int32_t result = detector.DetectAdapter(&displayId, hostDdcAddr, &refresh.report);
  refresh.transport = detector.ActiveTransport();
  refresh.display =
      DescribeAdapter(detector, settings.adapterType, result, refresh.transport, displayId);
  return refresh;
}

void LogAdapterReport(const AdapterRefresh& refresh, const LogFile& log) {
  log.Append(refresh.report);
  log.Append(kReportEnd);
}

AdapterRefresh DetectAndLogAdapter(const GfxBackends& backends, const AppSettings& settings,
                                   uint8_t hostDdcAddr, const LogFile& log) {
  AdapterRefresh refresh = DetectAdapterOnce(backends, settings, hostDdcAddr);
  LogAdapterReport(refresh, log);
  return refresh;
}

}  // namespace vexa
