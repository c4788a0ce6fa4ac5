#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "transport/backends/intel/aux_request.h"
#include "transport/backends/intel/cui_driver.h"
#include "transport/error_record.h"
#include "transport/gfx_lib.h"
#include "transport/probe_port.h"
#include "util/clock.h"

namespace vexa {

// The GfxLib of Intel graphics: every AUX transaction is one request record handed to the
// graphics driver's object, for the current display id (a display of the driver's enumeration,
// or an LS-PCON device id 0x0C to 0x0F, which take a record layout of their own). The port scan
// probes the attached displays of every adapter and, failing that, the LS-PCON devices.
//
// The error record describes the last transaction: its code is reset when one begins, and every
// record with a non-zero code ends in the code's name in parentheses (CuiErrorName).
class GfxLibIntel final : public GfxLib {
 public:
  // Error code when the driver object cannot be created or a request finds none.
  static constexpr int32_t kNoDriverCode = -1;

  // Over a driver interface the caller keeps alive (tests, simulated drivers).
  GfxLibIntel(CuiDriver& driver, Clock& clock, const ChipProbe& probe)
      : driver_(driver), clock_(clock), probe_(probe) {}
  // Over a driver interface the backend owns (this machine's, from the registry).
  GfxLibIntel(std::unique_ptr<CuiDriver> driver, Clock& clock, const ChipProbe& probe)
      : ownedDriver_(std::move(driver)), driver_(*ownedDriver_), clock_(clock), probe_(probe) {}

  // Makes displayId the display of every later request, as a scan that found it does.
  void SetDisplayId(uint32_t displayId) { displayId_ = displayId; }
  int32_t Initialize() override;
  void Uninitialize() override;
  // A preset *displayId restricts the scan: it selects only that display, or that LS-PCON
  // device.
  int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                    std::string* report) override;
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;
  void ClearError() override { record_.Clear(); }
  int32_t GetErrorCode() override { return record_.code(); }
  std::string GetErrorText() override { return record_.text(); }
  std::string GetVendorName() override { return "Intel"; }
  std::string GetAdapterName() override { return adapterName_; }
  std::string GetDriverVersion() override { return {}; }
  std::string GetPortType() override { return portType_; }
  std::string GetPortStatus() override { return portStatus_; }

 private:
  // Sends one request for the current display id. A failure is recorded as
  // "<operation>[ (LS-PCON)]: <failure>" with the driver's code, and gives 6.
  int32_t Transact(AuxRequest& request, std::string_view operation, std::string_view failure);
  // Records the first error since the last reset, a non-zero code's name appended.
  void RecordError(int32_t code, std::string text);

  // Makes id the current display id and probes it for the chip at ddcAddr.
  int32_t Probe(uint32_t id, uint8_t ddcAddr);
  // The two halves of ScanPorts; each appends its lines to report and may select a port in
  // displayId.
  int32_t ScanDisplays(uint32_t& displayId, uint8_t ddcAddr, std::string& report);
  int32_t ScanLsPconDevices(uint32_t& displayId, uint8_t ddcAddr, std::string& report);
  // What became of one display of the scan: the probe's result (5 when not probed) and the
  // port status it shows when selected.
  struct DisplayOutcome {
    int32_t result = gfx_status::kNoChipFound;
    std::string portStatus;
  };
  // Probes one display when it is attached and can carry AUX, appending the outcome to its
  // report line.
  DisplayOutcome CheckDisplay(const DriverDisplay& display, uint8_t ddcAddr, std::string& report);

  std::unique_ptr<CuiDriver> ownedDriver_;
  CuiDriver& driver_;
  Clock& clock_;
  const ChipProbe& probe_;
  bool driverOpen_ = false;
  uint32_t displayId_ = 0;
  ErrorRecord record_;
  int32_t probeMode_ = static_cast<int32_t>(ProbeMode::kDdc2biQuery);
  std::string adapterName_;
  std::string portType_;
  std::string portStatus_;
};

}  // namespace vexa
