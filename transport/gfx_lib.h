#pragma once

#include <cstdint>
#include <string>

namespace vexa {

// Results of the GfxLib operations.
namespace gfx_status {
inline constexpr int32_t kSuccess = 0;
// The caller found no transport selected; GfxLibNvidia::ScanPorts when no GPU gave a device.
inline constexpr int32_t kNoTransport = 2;
// Null buffer, null length pointer or zero length. Touches neither the vendor nor the record.
inline constexpr int32_t kInvalidArgument = 3;
// GfxLibNvidia's probe with a ProbeMode other than 1 or 2.
inline constexpr int32_t kBadProbeMode = 4;
// The port scan or the probe found no chip.
inline constexpr int32_t kNoChipFound = 5;
// A vendor interface call failed; the error record holds the vendor's code and a text.
inline constexpr int32_t kVendorCallFailed = 6;
// A reply violated the DDC framing, or the probe's reply was missing or wrong.
inline constexpr int32_t kReplyRejected = 7;
}  // namespace gfx_status

// How the port scan recognises the chip on a candidate port.
enum class ProbeMode : int32_t {
  // Send the ISP close command over DDC and expect the chip's acknowledge.
  kDdc2biQuery = 1,
  // Read the DPCD branch device identification string.
  kBranchIdCheck = 2,
};

// Largest DDC/CI reply any backend returns; a DdcAuxRead buffer must hold this many bytes.
inline constexpr uint16_t kMaxDdcReplySize = 131;

// The transport through which every DisplayPort AUX transaction of the tool passes, one
// implementation per GPU vendor interface (plus the simulated board). The tool never owns a
// backend through this interface: each lives for the whole process and the engine holds a
// non-owning pointer to the active one.
//
// Calling order: Initialize, then ScanPorts, then transactions against the selected port.
// Around every ISP run the worker thread calls Initialize before and Uninitialize after; the
// selected port survives both. Transactions are meaningful only after a successful Initialize
// and ScanPorts of the same backend. Nothing throws across this interface.
class GfxLib {
 public:
  virtual ~GfxLib() = default;

  // Opens the vendor interface for the calling thread. Callable repeatedly, from the thread
  // that will use the transport next. 0, or 6 with the error record set.
  virtual int32_t Initialize() = 0;

  // Releases what Initialize opened for the calling thread. The selected port is kept.
  virtual void Uninitialize() = 0;

  // Stores probeMode, empties *report, clears the error record, probes every candidate port
  // at ddcAddr and appends the report lines ("\r\n" line ends). 0 when the chip answered:
  // the port is selected and its id written to *displayId (which may carry a preset on
  // entry, 0 = none). Non-zero when no chip was found.
  virtual int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                            std::string* report) = 0;

  // Reads one DDC/CI-framed reply from the device at the 8-bit address ddcAddr into buffer
  // (which holds kMaxDdcReplySize bytes); *length receives the reply length. The reply keeps
  // its address, length and checksum bytes; the caller verifies the checksum. 0, 3, 6 or 7.
  virtual int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) = 0;

  // One I2C write of length bytes to the device at ddcAddr. 0, 3 or 6.
  virtual int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) = 0;

  // DPCD transfers of exactly length bytes from dpcdAddr on. 0, 3 or 6; a failure leaves
  // the chunks before it done.
  virtual int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) = 0;
  virtual int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) = 0;

  // The backend's error record: first error wins until cleared (see ErrorRecord).
  virtual void ClearError() = 0;
  virtual int32_t GetErrorCode() = 0;
  virtual std::string GetErrorText() = 0;

  // Identity strings for the user interface.
  virtual std::string GetVendorName() = 0;
  virtual std::string GetAdapterName() = 0;
  virtual std::string GetDriverVersion() = 0;
  virtual std::string GetPortType() = 0;
  virtual std::string GetPortStatus() = 0;
};

}  // namespace vexa
