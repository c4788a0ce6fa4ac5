#pragma once

#include <cstdint>
#include <string>

#include "sim/board.h"
#include "transport/error_record.h"
#include "transport/gfx_lib.h"
#include "transport/probe_port.h"
#include "util/clock.h"

namespace vexa {

// The GfxLib of the simulated board: one DisplayPort port with the board behind it. It moves
// bytes in AUX transactions of at most 16 data bytes and shares the DDC reply framing, the
// chip probe and the error record with the vendor backends. Every AUX transaction costs the
// board's latency (the board charges it), so an update in virtual time reports how long it
// would take on hardware. The error record describes the last transaction (it is reset when one
// begins).
class GfxLibSim final : public GfxLib {
 public:
  // Error codes of the record.
  static constexpr int32_t kNoAnswerCode = -1;
  static constexpr int32_t kTransportFaultCode = -2;
  // The id ScanPorts reports for the board's one port.
  static constexpr uint32_t kPortDisplayId = 1;

  GfxLibSim(sim::Board& board, Clock& clock, const ChipProbe& probe)
      : board_(board), clock_(clock), probe_(probe) {}

  int32_t Initialize() override { return gfx_status::kSuccess; }
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
  std::string GetVendorName() override { return "Simulator"; }
  std::string GetAdapterName() override { return "Simulated board"; }
  std::string GetDriverVersion() override { return {}; }
  std::string GetPortType() override { return portType_; }
  std::string GetPortStatus() override { return {}; }

 private:
  // Turns the board's answer to one AUX transaction into a status, recording what went wrong.
  int32_t Transact(sim::AuxReply reply, const char* what, uint32_t address);

  sim::Board& board_;
  Clock& clock_;
  const ChipProbe& probe_;
  ErrorRecord record_;
  std::string portType_;
};

}  // namespace vexa
