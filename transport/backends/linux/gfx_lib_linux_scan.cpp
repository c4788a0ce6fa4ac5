#include <string>

#include "transport/backends/linux/gfx_lib_linux.h"
#include "transport/probe_port.h"
#include "util/text_format.h"

namespace vexa {

int32_t GfxLibLinux::ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                               std::string* report) {
  if (displayId == nullptr || report == nullptr) return gfx_status::kInvalidArgument;
  probeMode_ = probeMode;
  report->clear();
  ClearError();
  adapterName_.clear();
  portType_.clear();

  int32_t result = gfx_status::kNoChipFound;
  for (const AuxPort& port : ports_) {
    if (*displayId != 0 && port.id() != *displayId) continue;
    if (adapterName_.empty()) adapterName_ = port.adapterName;
    *report += StrPrintf("     %s %s [drm_dp_aux%d]... ", port.adapterName.c_str(),
                         port.portName.c_str(), port.auxIndex);
    result = CheckPort(port, ddcAddr, *report);
    if (result == gfx_status::kSuccess) {
      *displayId = port.id();
      adapterName_ = port.adapterName;
      portType_ = port.portName;
      return result;
    }
  }
  *report += *displayId != 0
                 ? StrPrintf("     ==> User setting (0x%04X) is invalid!\r\n", *displayId)
                 : std::string(kNoAvailablePortLine);
  return result;
}

int32_t GfxLibLinux::CheckPort(const AuxPort& port, uint8_t ddcAddr, std::string& report) {
  SelectPort(port);
  // Each port's line tells its own failure; the record ends describing the last one.
  record_.Clear();
  // The mailbox needs the AUX node as much as the probe needs the I2C node.
  const int32_t result = AuxNode() == nullptr ? gfx_status::kVendorCallFailed
                                              : ProbePort(*this, clock_, record_, kIntelProbeTraits,
                                                          probe_, probeMode_, ddcAddr);
  if (result == gfx_status::kSuccess) {
    report += "OK\r\n";
  } else if (result == gfx_status::kVendorCallFailed) {
    report += "Gfx error! (" + record_.text() + ")\r\n";
  } else if (probeMode_ == static_cast<int32_t>(ProbeMode::kDdc2biQuery)) {
    report += StrPrintf("Query error by DDC Addr 0x%02X\r\n", ddcAddr);
  } else {
    report += "Query error! (" + record_.text() + ")\r\n";
  }
  return result;
}

}  // namespace vexa
