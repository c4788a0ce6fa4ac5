#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "transport/backends/amd/adl_api.h"
#include "transport/backends/amd/adl_records.h"
#include "transport/error_record.h"
#include "transport/gfx_lib.h"
#include "transport/probe_port.h"
#include "util/clock.h"

namespace vexa {

// The transport on AMD graphics, through the vendor's display library (the AdlApi seam):
// I2C-over-AUX as DDC block accesses of up to 131 bytes, native AUX as request records of up
// to 16 bytes, and a port scan over the library's adapters and their displays.
//
// Timing: 700 µs before every DDC chunk, every continuation read and every native write chunk;
// a deferred native request is repeated 5 ms later, three calls at most; a failed read of a
// reply's length bytes is repeated 20 ms later, 31 calls at most.
//
// The error record is not reset when a transaction begins: it holds the first failure since
// ClearError or the last ScanPorts. Its codes are the library's result codes, the reply
// status of a native request, or kOwnErrorCode.
class GfxLibAmd final : public GfxLib {
 public:
  // Code of the failures the backend finds itself rather than the library reporting them.
  static constexpr int32_t kOwnErrorCode = -2;
  // Most adapters a scan reads; a larger count from the library is taken as this many.
  static constexpr int32_t kMaxAdapters = 64;

  // adl and clock outlive the backend.
  // Over a driver interface the caller keeps alive (tests, simulated drivers).
  GfxLibAmd(AdlApi& adl, Clock& clock, const ChipProbe& probe)
      : adl_(adl), clock_(clock), probe_(probe) {}
  // Over a driver interface the backend owns (this machine's, from the registry).
  GfxLibAmd(std::unique_ptr<AdlApi> adl, Clock& clock, const ChipProbe& probe)
      : ownedAdl_(std::move(adl)), adl_(*ownedAdl_), clock_(clock), probe_(probe) {}

  // Loads the library (the second file name when the first is absent), resolves the entry
  // points and starts the library; every call does all of it again.
  int32_t Initialize() override;
  void Uninitialize() override {}
  // Walks the active adapters and their displays in use and probes each DisplayPort display.
  // 0 whenever the chip answered: the selected port (*displayId: adapter index in the high 16
  // bits, display logical index in the low 16) is then a display on which it answered, also
  // when a display probed later failed.
  int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                    std::string* report) override;
  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;
  void ClearError() override { record_.Clear(); }
  int32_t GetErrorCode() override { return record_.code(); }
  std::string GetErrorText() override { return record_.text(); }
  std::string GetVendorName() override { return "AMD"; }
  std::string GetAdapterName() override { return {}; }
  std::string GetDriverVersion() override { return {}; }
  // The connector name of the selected port, or of the last display the scan looked at when it
  // found no chip (empty when that display's probe failed).
  std::string GetPortType() override { return portType_; }
  std::string GetPortStatus() override { return {}; }

 private:
  // A display of an adapter: where every transaction goes.
  struct Port {
    int32_t adapterIndex = 0;
    int32_t displayIndex = 0;
  };

  // What a scan has found so far.
  struct ScanState {
    int32_t adaptersOpened = 0;
    // The status of the last probe; kNoChipFound before any.
    int32_t lastProbeStatus = gfx_status::kNoChipFound;
    // The last display on which the chip answered, and its connector name.
    std::optional<Port> answered;
    std::string answeredPortType;
    // The error record as the probe that found the chip left it.
    ErrorRecord answeredRecord;
  };

  // Records a failed library call of `operation` as "<operation>... failed! (<result>)".
  // Returns 0 for result 0, else gfx_status::kVendorCallFailed.
  int32_t CheckResult(int32_t result, const char* operation);
  // Initialize's failures: the backend's own code and a fixed text.
  int32_t FailToOpen(const char* text);

  // One native request on the selected port, repeated while the display defers it. 0 once
  // acknowledged; else the library's result, or the reply status (kOwnErrorCode for a status
  // of 0, so that no failure reads as success).
  int32_t AuxRequest(adl::NativeAuxRequest& request);
  // One DDC block access on the selected port.
  int32_t DdcBlockAccess(std::span<const uint8_t> send, std::span<uint8_t> reply);
  // Reads reply.size() bytes from the device at ddcAddr, reply cleared first.
  int32_t DdcRead(uint8_t ddcAddr, std::span<uint8_t> reply);
  // The address and length bytes of a reply, with the 20 ms retries.
  int32_t ReadLengthBytes(uint8_t ddcAddr, uint8_t* out);

  // Probes the DisplayPort displays in use of the adapter at position `position` of the
  // library's list, appending their report lines; stops at the first display that answers.
  void ScanAdapter(int32_t position, const adl::AdapterInfo& adapter, int32_t probeMode,
                   uint8_t ddcAddr, std::string& report, ScanState& scan);
  // The scan's summary when no adapter gave its displays: recorded and reported.
  int32_t ReportNoActiveAdapter(int32_t adapterCount, std::string& report);

  std::unique_ptr<AdlApi> ownedAdl_;
  AdlApi& adl_;
  Clock& clock_;
  const ChipProbe& probe_;
  ErrorRecord record_;
  Port port_;
  std::string portType_;
};

}  // namespace vexa
