#include <optional>
#include <utility>
#include <vector>

#include "transport/backends/intel/cui_names.h"
#include "transport/backends/intel/gfx_lib_intel.h"
#include "transport/probe_port.h"
#include "util/text_format.h"

namespace vexa {

namespace {

constexpr const char* kLsPconPortType = "LS-PCON";

bool CarriesAux(uint32_t displayType) {
  return displayType == display_type::kExternalFlatPanel || displayType == display_type::kHdmi ||
         displayType == display_type::kDisplayPort;
}

bool IsDdc2biQuery(int32_t probeMode) {
  return probeMode == static_cast<int32_t>(ProbeMode::kDdc2biQuery);
}

// A preset LS-PCON id restricts the LS-PCON scan to that device.
std::vector<uint32_t> LsPconCandidates(uint32_t presetId) {
  if (presetId != 0) return {presetId};
  std::vector<uint32_t> ids;
  for (uint32_t id = kFirstLsPconDeviceId; id <= kLastLsPconDeviceId; ++id) ids.push_back(id);
  return ids;
}

}  // namespace

int32_t GfxLibIntel::ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                               std::string* report) {
  if (displayId == nullptr || report == nullptr) return gfx_status::kInvalidArgument;
  probeMode_ = probeMode;
  report->clear();
  adapterName_.clear();
  ClearError();

  int32_t result = ScanDisplays(*displayId, ddcAddr, *report);
  if (result == gfx_status::kSuccess) return result;
  if (*displayId == 0 || IsLsPconDevice(*displayId)) {
    result = ScanLsPconDevices(*displayId, ddcAddr, *report);
    if (result == gfx_status::kSuccess) return result;
  }
  *report += *displayId != 0
                 ? StrPrintf("     ==> User setting (0x%04X) is invalid!\r\n", *displayId)
                 : std::string(kNoAvailablePortLine);
  return result;
}

int32_t GfxLibIntel::Probe(uint32_t id, uint8_t ddcAddr) {
  displayId_ = id;
  return ProbePort(*this, clock_, record_, kIntelProbeTraits, probe_, probeMode_, ddcAddr);
}

// Probes every attached display able to carry AUX on every adapter. The first display where
// the chip answers is selected unless displayId carries a preset; the selected display's
// probe result is the scan's result.
int32_t GfxLibIntel::ScanDisplays(uint32_t& displayId, uint8_t ddcAddr, std::string& report) {
  int32_t result = gfx_status::kNoChipFound;
  for (uint32_t a = 0; const std::optional<DisplayAdapter> adapter = driver_.EnumAdapter(a); ++a) {
    // Displays are the driver object's to enumerate: without one an adapter shows none.
    for (uint32_t d = 0; driverOpen_; ++d) {
      const std::optional<DriverDisplay> display = driver_.EnumDisplay(adapter->deviceName, d);
      if (!display) break;
      adapterName_ = adapter->deviceString;
      const std::string typeName = DisplayTypeName(display->type);
      report += StrPrintf("     Device GUID: 0x%X [%s]... ", display->id, typeName.c_str());
      DisplayOutcome outcome = CheckDisplay(*display, ddcAddr, report);
      if (outcome.result == gfx_status::kSuccess && displayId == 0) displayId = display->id;
      if (display->id == displayId) {
        portType_ = typeName;
        portStatus_ = std::move(outcome.portStatus);
        result = outcome.result;
      }
    }
  }
  displayId_ = displayId;
  return result;
}

GfxLibIntel::DisplayOutcome GfxLibIntel::CheckDisplay(const DriverDisplay& display, uint8_t ddcAddr,
                                                      std::string& report) {
  if ((display.statusFlags & kDisplayAttachedFlag) == 0) {
    report += "not attached!\r\n";
    return {gfx_status::kNoChipFound, "Not attached"};
  }
  if (!CarriesAux(display.type)) {
    report += "N/A\r\n";
    return {gfx_status::kNoChipFound, "Invalid Port"};
  }
  const int32_t result = Probe(display.id, ddcAddr);
  if (result == gfx_status::kSuccess) {
    report += "OK\r\n";
    return {result, ""};
  }
  if (result == gfx_status::kVendorCallFailed) {
    report += StrPrintf("Gfx error! (%s)\r\n", CuiErrorName(record_.code()).c_str());
  } else if (IsDdc2biQuery(probeMode_)) {
    report += StrPrintf("Query error by DDC Addr 0x%02X\r\n", ddcAddr);
  } else {
    report += StrPrintf("Query error! (%s)\r\n", record_.text().c_str());
  }
  return {result, "Invalid Port"};
}

// Probes the LS-PCON devices in turn until the chip answers on one. A driver without LS-PCON
// support ends the scan at the first device. The current display id stays at the last device
// probed.
int32_t GfxLibIntel::ScanLsPconDevices(uint32_t& displayId, uint8_t ddcAddr, std::string& report) {
  portType_ = kLsPconPortType;
  int32_t result = gfx_status::kNoChipFound;
  for (const uint32_t id : LsPconCandidates(displayId)) {
    portStatus_.clear();
    report += StrPrintf("     Device ID: 0x%02X: ", id);
    result = Probe(id, ddcAddr);
    if (result == gfx_status::kSuccess) {
      report += "OK\r\n";
      if (displayId == 0) displayId = id;
      return result;
    }
    if (result != gfx_status::kVendorCallFailed) {
      report += IsDdc2biQuery(probeMode_)
                    ? StrPrintf("Query Error! (%d) by DDC Addr (0x%02X)\r\n", result, ddcAddr)
                    : StrPrintf("Query error! (%s)\r\n", record_.text().c_str());
    } else if (record_.code() == static_cast<int32_t>(cui_error::kUnsupportedGuid)) {
      report += "Not Supported!\r\n";
      portStatus_ = "Unsupported";
      return result;
    } else {
      report += StrPrintf("Gfx Error! (%s)\r\n", CuiErrorName(record_.code()).c_str());
      portStatus_ = "Gfx Error";
    }
  }
  return result;
}

}  // namespace vexa
