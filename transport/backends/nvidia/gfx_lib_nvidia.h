#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "transport/backends/nvidia/nvapi.h"
#include "transport/backends/nvidia/nvapi_records.h"
#include "transport/error_record.h"
#include "transport/gfx_lib.h"
#include "transport/probe_port.h"
#include "util/clock.h"

namespace vexa {

// A display on which the chip answered, and what every AUX request to it carries.
struct NvidiaDevice {
  NvDisplayHandle display{};
  uint32_t displayId = 0;
  PathBlock pathBlock{};
};

// The GfxLib of NVIDIA graphics, over the driver's entry points (Nvapi). Every AUX transaction,
// I2C-over-AUX and native, is one driver AUX request of at most 16 data bytes, paced by spins
// on the clock and retried while the sink defers. The port scan walks the GPUs and their
// connected DisplayPort displays (MST roots through their first topology node), keeps every
// display on which the chip answers as a device and selects the first. The error record
// describes the last transaction (it is reset when one begins); its codes are driver statuses
// or AUX reply statuses (1 not acknowledged, 2 still deferred).
class GfxLibNvidia final : public GfxLib {
 public:
  // Pacing, in µs, so that the sink keeps up: before each DDC write request, after the DDC
  // length bytes, and before each further DDC read request and each native request.
  static constexpr uint32_t kDdcWritePacingUs = 1500;
  static constexpr uint32_t kLengthBytesPacingUs = 500;
  static constexpr uint32_t kPacingUs = 1000;
  // A deferring sink is asked again after this long, at most kMaxAuxCalls times in all.
  static constexpr uint32_t kDeferRetryUs = 5000;
  static constexpr int kMaxAuxCalls = 3;

  // Both outlive the backend.
  // Over a driver interface the caller keeps alive (tests, simulated drivers).
  GfxLibNvidia(Nvapi& nvapi, Clock& clock, const ChipProbe& probe)
      : nvapi_(nvapi), clock_(clock), probe_(probe) {}
  // Over a driver interface the backend owns (this machine's, from the registry).
  GfxLibNvidia(std::unique_ptr<Nvapi> nvapi, Clock& clock, const ChipProbe& probe)
      : ownedNvapi_(std::move(nvapi)), nvapi_(*ownedNvapi_), clock_(clock), probe_(probe) {}

  int32_t Initialize() override;
  void Uninitialize() override {}
  int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                    std::string* report) override;
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;
  void ClearError() override { record_.Clear(); }
  int32_t GetErrorCode() override { return record_.code(); }
  std::string GetErrorText() override { return record_.text(); }
  std::string GetVendorName() override { return "NVidia"; }
  // Full name of the last GPU scanned.
  std::string GetAdapterName() override { return adapterName_; }
  // The driver version number in decimal.
  std::string GetDriverVersion() override { return driverVersion_; }
  // Connector name or MST node type of the last display handled; empty after a failed probe.
  std::string GetPortType() override { return portType_; }
  std::string GetPortStatus() override { return {}; }

  // The displays on which the last scan found the chip, in the order found.
  const std::vector<NvidiaDevice>& devices() const { return devices_; }
  // The display every transaction goes to.
  const NvidiaDevice& current() const { return current_; }

 private:
  // Sends one request to the current display, again while the sink defers. 0, a driver
  // status, or the reply status 1 (not acknowledged) or 2 (still deferred).
  int32_t SendAuxRequest(NvAuxRequest& request);
  NvAuxRequest NewRequest(NvAuxOperation operation, uint32_t address, int32_t length) const;
  // 0 for a request that succeeded; otherwise records status with failText and gives 6.
  int32_t Conclude(int32_t status, const char* failText);

  // The display walk of ScanPorts (gfx_lib_nvidia_scan.cpp).
  void ReadGpuIdentity(NvGpuHandle gpu);
  int32_t ScanGpu(NvGpuHandle gpu, uint32_t displayCount, uint8_t ddcAddr, std::string& report);
  void ScanDisplay(NvGpuHandle gpu, const NvConnectedDisplay& display, uint8_t ddcAddr,
                   std::string& report);
  bool IdentifyDisplayPort(NvGpuHandle gpu, uint32_t displayId, NvDisplayHandle* display,
                           std::string& report);
  void AppendConnectors(const NvConnectors& connectors, std::string& report);
  bool SelectMstPath(uint32_t displayId, std::string& report);
  void ProbeCurrentDisplay(uint8_t ddcAddr, std::string& report);

  std::unique_ptr<Nvapi> ownedNvapi_;
  Nvapi& nvapi_;
  Clock& clock_;
  const ChipProbe& probe_;
  ErrorRecord record_;
  int32_t probeMode_ = static_cast<int32_t>(ProbeMode::kDdc2biQuery);
  NvidiaDevice current_;
  std::vector<NvidiaDevice> devices_;
  std::string adapterName_;
  std::string driverVersion_;
  std::string portType_;
};

}  // namespace vexa
