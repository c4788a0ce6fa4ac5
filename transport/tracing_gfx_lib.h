#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "transport/forwarding_gfx_lib.h"

namespace vexa {

// Wraps the active transport for field debugging: passes every operation through unchanged,
// writes one line per transaction to the trace (when one is given), e.g.
//   DDC-W 0x6E 51 85 C2 00 00 03 09 72 => 0
//   AUX-R 0x0040C 10 00 03 => 0
// and counts the calls, the AUX transactions they took and the bytes they moved.
class TracingGfxLib final : public ForwardingGfxLib {
 public:
  // trace may be null: then only the counters run.
  TracingGfxLib(GfxLib& inner, std::ostream* trace) : ForwardingGfxLib(inner), trace_(trace) {}

  // Transport calls, one per trace line.
  uint64_t calls() const { return calls_; }
  // AUX transactions as the wire counts them: a call moves at most 16 bytes per transaction
  // and takes at least one, also when it failed.
  uint64_t auxTransactions() const { return auxTransactions_; }
  uint64_t bytesMoved() const { return bytesMoved_; }

  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;

 private:
  // Counts one transaction and traces it; bytes are shown only when they moved.
  int32_t Record(const char* kind, const std::string& address, std::span<const uint8_t> bytes,
                 int32_t status);

  std::ostream* trace_;
  uint64_t calls_ = 0;
  uint64_t auxTransactions_ = 0;
  uint64_t bytesMoved_ = 0;
};

}  // namespace vexa
