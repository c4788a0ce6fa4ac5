// GfxLibAmd's port scan: the walk over the library's adapters and displays, and its report.

#include <algorithm>
#include <span>
#include <vector>

#include "transport/backends/amd/gfx_lib_amd.h"
#include "transport/probe_port.h"
#include "util/text_format.h"

namespace vexa {

namespace {

// The port id the scan hands out: adapter index high, display logical index low.
uint32_t PortId(int32_t adapterIndex, int32_t displayIndex) {
  return (static_cast<uint32_t>(adapterIndex) << 16) |
         (static_cast<uint32_t>(displayIndex) & 0xFFFF);
}

}  // namespace

int32_t GfxLibAmd::ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                             std::string* report) {
  if (displayId == nullptr || report == nullptr) return gfx_status::kInvalidArgument;
  record_.Clear();
  portType_.clear();
  report->clear();

  int32_t adapterCount = 0;
  if (const int32_t result = adl_.NumberOfAdaptersGet(&adapterCount); result != 0) {
    record_.Record(result, "Getting NumberOfAdapters... failed!");
    return gfx_status::kVendorCallFailed;
  }
  // A driver's count is believed up to kMaxAdapters, so that a bogus one cannot ask for
  // unbounded memory.
  const int32_t believed = std::clamp(adapterCount, 0, kMaxAdapters);
  std::vector<uint8_t> adapters(static_cast<size_t>(believed) * adl::kAdapterInfoSize);
  // Its result tells nothing the records do not: an adapter left unfilled reads as index 0
  // and is then asked whether it is active like any other.
  if (!adapters.empty()) adl_.AdapterInfoGet(adapters);

  ScanState scan;
  for (int32_t position = 0; position < believed; ++position) {
    const auto record =
        std::span(adapters).subspan(static_cast<size_t>(position) * adl::kAdapterInfoSize);
    const adl::AdapterInfo adapter = adl::ReadAdapterInfo(record.first<adl::kAdapterInfoSize>());
    int32_t active = 0;
    if (adl_.AdapterActiveGet(adapter.adapterIndex, &active) != 0 || active == 0) continue;
    ScanAdapter(position, adapter, probeMode, ddcAddr, *report, scan);
  }

  if (scan.answered) {
    // A display probed after the chip answered may have failed and taken the port: the port
    // goes back to where the chip is.
    port_ = *scan.answered;
    portType_ = scan.answeredPortType;
    record_ = scan.answeredRecord;
    *displayId = PortId(port_.adapterIndex, port_.displayIndex);
    return gfx_status::kSuccess;
  }
  if (scan.adaptersOpened == 0) return ReportNoActiveAdapter(adapterCount, *report);
  *report += kNoAvailablePortLine;
  return scan.lastProbeStatus;
}

void GfxLibAmd::ScanAdapter(int32_t position, const adl::AdapterInfo& adapter, int32_t probeMode,
                            uint8_t ddcAddr, std::string& report, ScanState& scan) {
  int32_t displayCount = 0;
  AdlHeapBlock displays;
  if (const int32_t result = adl_.DisplayInfoGet(adapter.adapterIndex, &displayCount, &displays, 0);
      result != 0) {
    report += StrPrintf("     Active Adapter# %d:  Getting DisplayInfo... failed! (%d)\r\n",
                        position, result);
    return;
  }
  ++scan.adaptersOpened;
  report += StrPrintf("     Active Adapter# %d [%s]:  \r\n", position, adapter.name.c_str());
  if (displays.bytes == nullptr) return;

  // A count beyond the block the library allocated is not believed.
  const size_t recordCount = std::min(static_cast<size_t>(std::max(displayCount, 0)),
                                      displays.size / adl::kDisplayInfoSize);
  const std::span<const uint8_t> records(displays.bytes.get(), recordCount * adl::kDisplayInfoSize);
  for (size_t offset = 0; offset < records.size(); offset += adl::kDisplayInfoSize) {
    const adl::DisplayInfo display =
        adl::ReadDisplayInfo(records.subspan(offset).first<adl::kDisplayInfoSize>());
    if (!display.IsInUse() || display.logicalIndex == -1) continue;

    portType_ = adl::ConnectorName(display.connectorType);
    report += StrPrintf("        LogicId# %d [%s]:  ", display.logicalIndex, portType_.c_str());
    if (!display.HasDisplayPortAux()) {
      report += "not DP\r\n";
      continue;
    }

    port_ = {adapter.adapterIndex, display.logicalIndex};
    // Each display's line quotes its own probe's failure, not an earlier display's.
    record_.Clear();
    scan.lastProbeStatus =
        ProbePort(*this, clock_, record_, kAmdProbeTraits, probe_, probeMode, ddcAddr);
    if (scan.lastProbeStatus == gfx_status::kSuccess) {
      scan.answered = port_;
      scan.answeredPortType = portType_;
      scan.answeredRecord = record_;
      report += "OK\r\n";
      return;
    }
    report += record_.text() + "\r\n";
    portType_.clear();
    report += "Failed!\r\n";
  }
}

int32_t GfxLibAmd::ReportNoActiveAdapter(int32_t adapterCount, std::string& report) {
  const std::string line =
      StrPrintf("     AMD Adapter num = %d  (All not active! Gfx driver may not be ready!)\r\n",
                adapterCount);
  report += line;
  record_.Record(kOwnErrorCode, line);
  report += kNoAvailablePortLine;
  return gfx_status::kVendorCallFailed;
}

}  // namespace vexa
