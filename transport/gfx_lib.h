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
// non-owning pointer to the active one. Nothing throws across this interface.
//
// Calling order: Initialize, then ScanPorts, then transactions against the selected port.
// Around every ISP run the worker thread calls Initialize before and Uninitialize after; the
// selected port survives both. Transactions are meaningful only after a successful Initialize
// and ScanPorts of the same backend.
//
// Threads: one thread at a time. The user-interface thread detects and queries; during a run
// only the worker thread calls, between its own Initialize and Uninitialize, while the
// user-interface thread keeps its hands off (it has uninitialized before the run starts).
//
// Error record: each backend keeps one (ErrorRecord: vendor code and text, first error wins).
// Every call below says what it does to the record; a call refused for its arguments (status
// 3) never touches it, nor the vendor interface.
class GfxLib {
 public:
  virtual ~GfxLib() = default;

  // Required. Called at detection and by the worker before each run, on the thread that will
  // use the transport next; callable repeatedly. Opens the vendor interface (loads the
  // library, creates the driver object) for the calling thread.
  // Returns 0, or 6 with the record holding the vendor's code and a text that detection shows
  // after the vendor name ("Library not found!").
  virtual int32_t Initialize() = 0;

  // Required. Called by the worker after each run and by the user-interface thread before it
  // hands the transport to the worker. Releases what Initialize opened for the calling
  // thread; the selected port is kept. Must be harmless when nothing is open.
  virtual void Uninitialize() = 0;

  // Required. Called by detection after a successful Initialize. Stores probeMode (a
  // ProbeMode), empties *report, clears the record, runs the chip probe at ddcAddr on every
  // candidate port and appends one report line per port ("\r\n" line ends).
  // Returns 0 when the chip answered: that port is selected for every later transaction and
  // its id written to *displayId (which may carry a preset on entry, 0 = none). Otherwise 3
  // (null argument), 5 (no port answered) or the vendor's failure; the record then describes
  // the last probe that failed.
  virtual int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                            std::string* report) = 0;

  // Required. Reads one DDC/CI-framed reply from the device at the 8-bit address ddcAddr on
  // the selected port into buffer (which holds kMaxDdcReplySize bytes); *length receives the
  // reply length. The reply keeps its address, length and checksum bytes; the caller verifies
  // the checksum. Backends frame the read with ReadFramedDdcReply.
  // Returns 0; 3 (null buffer or length); 6 (a vendor call failed: the record holds it); 7
  // (the framing refused the reply: the record may hold a text saying why).
  virtual int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) = 0;

  // Required. One I2C write of length bytes to the device at ddcAddr on the selected port, in
  // as many AUX transactions as the vendor call takes (TransferBufferInChunks).
  // Returns 0; 3 (null data or length below 1); 6 (a vendor call failed: the record holds it,
  // and the chunks before it were sent).
  virtual int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) = 0;

  // Required. DPCD transfers of exactly length bytes from dpcdAddr on, on the selected port,
  // in AUX transactions of at most 16 bytes.
  // Return 0; 3 (null buffer or length below 1); 6 (a vendor call failed: the record holds
  // it, and the chunks before it were done).
  virtual int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) = 0;
  virtual int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) = 0;

  // Required. The error record: ClearError empties it (the engine does so at the start of
  // every run), GetErrorCode and GetErrorText read it without changing it.
  virtual void ClearError() = 0;
  virtual int32_t GetErrorCode() = 0;
  virtual std::string GetErrorText() = 0;

  // Required. Identity strings for the adapter report and the dialog's adapter line, read by
  // the user-interface thread after detection: the vendor name ("NVidia"), the adapter and
  // its driver version (empty when unknown), the selected port's type and its status text
  // (empty before a scan selected one). They never fail and never touch the record.
  virtual std::string GetVendorName() = 0;
  virtual std::string GetAdapterName() = 0;
  virtual std::string GetDriverVersion() = 0;
  virtual std::string GetPortType() = 0;
  virtual std::string GetPortStatus() = 0;
};

}  // namespace vexa
