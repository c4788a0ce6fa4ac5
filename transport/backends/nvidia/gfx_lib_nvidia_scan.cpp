// The port scan of GfxLibNvidia: the walk over GPUs and connected displays, with its report.

#include <algorithm>
#include <array>

#include "transport/backends/nvidia/gfx_lib_nvidia.h"
#include "transport/backends/nvidia/nvidia_names.h"
#include "transport/probe_port.h"
#include "util/text_format.h"

namespace vexa {

int32_t GfxLibNvidia::ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                                std::string* report) {
  if (displayId == nullptr || report == nullptr) return gfx_status::kInvalidArgument;
  devices_.clear();
  report->clear();
  record_.Clear();
  adapterName_.clear();
  driverVersion_.clear();
  probeMode_ = probeMode;

  std::array<NvGpuHandle, kMaxPhysicalGpus> gpus{};
  uint32_t gpuCount = 0;
  if (const int32_t status = nvapi_.EnumPhysicalGpus(gpus, &gpuCount); status != 0) {
    *report += "  Enum NV GPU failed!";
    record_.Record(status, "Enum NV GPU failed!");
    return gfx_status::kVendorCallFailed;
  }
  gpuCount = std::min<uint32_t>(gpuCount, kMaxPhysicalGpus);
  const bool severalGpus = gpuCount > 1;
  if (severalGpus) *report += StrPrintf("  Num of GPU: %u\r\n", gpuCount);

  for (uint32_t i = 0; i < gpuCount; ++i) {
    if (severalGpus) *report += StrPrintf("     <GPU: %u>  ", i);
    uint32_t displayCount = 0;
    if (const int32_t status = nvapi_.GetConnectedDisplayIds(gpus[i], {}, &displayCount, 0);
        status != 0) {
      *report += StrPrintf("Getting ConnectedDisplayID Count... failed! (%d)\r\n", status);
      record_.RecordCode(status);
      continue;
    }
    ReadGpuIdentity(gpus[i]);
    displayCount = std::min(displayCount, kMaxConnectedDisplays);
    if (ScanGpu(gpus[i], displayCount, ddcAddr, *report) == gfx_status::kSuccess) {
      *displayId = current_.displayId;
      return gfx_status::kSuccess;
    }
  }
  // A GPU on which the chip answered has returned above: no GPU produced a device.
  return gfx_status::kNoTransport;
}

void GfxLibNvidia::ReadGpuIdentity(NvGpuHandle gpu) {
  if (nvapi_.GetFullName(gpu, &adapterName_) != 0) adapterName_.clear();
  uint32_t version = 0;
  driverVersion_ =
      nvapi_.GetDriverAndBranchVersion(&version) == 0 ? StrPrintf("%u", version) : std::string();
}

int32_t GfxLibNvidia::ScanGpu(NvGpuHandle gpu, uint32_t displayCount, uint8_t ddcAddr,
                              std::string& report) {
  std::vector<uint8_t> records = NewConnectedDisplayRecords(displayCount);
  uint32_t filled = displayCount;
  // Without a display there is nothing to fetch (an empty array would ask for the count).
  if (displayCount > 0) {
    if (const int32_t status = nvapi_.GetConnectedDisplayIds(gpu, records, &filled, 0);
        status != 0) {
      report += StrPrintf("Getting ConnectedDisplayID... failed! (%d)\r\n", status);
      record_.Record(status, "Getting ConnectedDisplayID... failed!");
      return gfx_status::kVendorCallFailed;
    }
  }
  // The driver may fill fewer records than there was room for, never more.
  for (uint32_t i = 0; i < std::min(filled, displayCount); ++i) {
    ScanDisplay(gpu, ConnectedDisplayAt(records, i), ddcAddr, report);
  }

  if (devices_.empty()) {
    report += kNoAvailablePortLine;
    return gfx_status::kNoChipFound;
  }
  current_ = devices_.front();
  return gfx_status::kSuccess;
}

void GfxLibNvidia::ScanDisplay(NvGpuHandle gpu, const NvConnectedDisplay& display, uint8_t ddcAddr,
                               std::string& report) {
  report += StrPrintf("       DispId# 0x%08X: ", display.displayId);
  if (!display.physicallyConnected) {
    report += "... not connected!\r\n";
    return;
  }
  NvDisplayHandle handle{};
  if (!IdentifyDisplayPort(gpu, display.displayId, &handle, report)) return;
  if (display.mstRoot) {
    if (!SelectMstPath(display.displayId, report)) return;
  } else {
    // A display outside any MST topology is addressed without routing data; another display's
    // path block would steer its requests into that display's topology.
    current_.pathBlock = {};
  }
  current_.display = handle;
  current_.displayId = display.displayId;
  ProbeCurrentDisplay(ddcAddr, report);
}

bool GfxLibNvidia::IdentifyDisplayPort(NvGpuHandle gpu, uint32_t displayId,
                                       NvDisplayHandle* display, std::string& report) {
  if (const int32_t status = nvapi_.GetDisplayHandleFromDisplayId(displayId, display);
      status != 0) {
    report += StrPrintf("Getting DisplayHandle... failed! (%d)\r\n", status);
    return false;
  }
  uint32_t outputId = 0;
  if (const int32_t status = nvapi_.GetAssociatedDisplayOutputId(*display, &outputId);
      status != 0) {
    report += StrPrintf("Getting Associate DisplayId... failed! (%d)\r\n", status);
    return false;
  }
  NvConnectorInfoRecord connectorInfo = NewConnectorInfoRecord();
  if (const int32_t status = nvapi_.GetConnectorInfo(gpu, outputId, connectorInfo); status != 0) {
    report += StrPrintf("Getting Connector Info... failed! (%d)\r\n", status);
    return false;
  }
  AppendConnectors(ConnectorsOf(connectorInfo), report);

  NvDisplayPortInfoRecord displayPortInfo = NewDisplayPortInfoRecord();
  if (const int32_t status = nvapi_.GetDisplayPortInfo(*display, outputId, displayPortInfo);
      status != 0) {
    report += StrPrintf("... getting DP Info failed! (%d)\r\n", status);
    return false;
  }
  if (!IsDisplayPort(displayPortInfo)) {
    report += "... not DP\r\n";
    return false;
  }
  return true;
}

void GfxLibNvidia::AppendConnectors(const NvConnectors& connectors, std::string& report) {
  if (connectors.reportedCount == 0) {
    report += "No connector  ";
  } else if (connectors.reportedCount == 1) {
    portType_ = NvConnectorName(connectors.types.front());
    report += portType_ + "  ";
  } else {
    report += StrPrintf("Num of Connector = %u\r\n", connectors.reportedCount);
    for (uint32_t k = 0; k < connectors.types.size(); ++k) {
      report += StrPrintf("         %u: %s\r\n", k,
                          std::string(NvConnectorName(connectors.types[k])).c_str());
    }
  }
}

bool GfxLibNvidia::SelectMstPath(uint32_t displayId, std::string& report) {
  report += "[MST Root-Node]  ";
  uint32_t nodeCount = 0;
  if (const int32_t status = nvapi_.QueryDpTopology(displayId, {}, &nodeCount);
      status != 0 || nodeCount == 0) {
    report +=
        StrPrintf("         QueryDPTopology[1]... failed! (%X)\r\n", static_cast<uint32_t>(status));
    return false;
  }
  nodeCount = std::min(nodeCount, kMaxTopologyNodes);
  std::vector<uint8_t> nodes = NewTopologyNodeRecords(nodeCount);
  if (const int32_t status = nvapi_.QueryDpTopology(displayId, nodes, &nodeCount); status != 0) {
    report +=
        StrPrintf("         QueryDPTopology[2]... failed! (%X)\r\n", static_cast<uint32_t>(status));
    return false;
  }
  const NvTopologyNode root = TopologyNodeAt(nodes, 0);
  portType_ = NodeTypeName(root.nodeType);
  report += StrPrintf("NodeType: %s ", portType_.c_str());
  current_.pathBlock = root.pathBlock;
  return true;
}

void GfxLibNvidia::ProbeCurrentDisplay(uint8_t ddcAddr, std::string& report) {
  const int32_t result =
      ProbePort(*this, clock_, record_, kNvidiaProbeTraits, probe_, probeMode_, ddcAddr);
  if (result == gfx_status::kSuccess) {
    devices_.push_back(current_);
    report += "... OK\r\n";
    return;
  }
  portType_.clear();
  if (result == gfx_status::kVendorCallFailed) {
    report += StrPrintf("... gfx failed! (%d)\r\n", record_.code());
  } else if (probeMode_ == static_cast<int32_t>(ProbeMode::kDdc2biQuery)) {
    report += StrPrintf("... %s (DDC addr: 0x%X)\r\n", record_.text().c_str(), ddcAddr);
  } else {
    report += StrPrintf("... %s\r\n", record_.text().c_str());
  }
}

}  // namespace vexa
