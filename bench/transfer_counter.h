#pragma once

#include <cstdint>
#include <string>

#include "transport/forwarding_gfx_lib.h"

namespace vexa::bench {

// Passes every operation to the transport it wraps and counts the AUX transactions the
// protocol could not do without: one per 16 bytes of each transfer (at least one per call),
// where a transfer is one call, or a run of DPCD writes each continuing where the last one
// ended (the writes of one mailbox buffer half). A DDC reply read is two transfers: its
// address and length bytes, then the rest they announce. How the code splits a transfer into calls
// cannot lower this count; a split off the 16-byte grid raises the wire's count above it.
class TransferCounter final : public ForwardingGfxLib {
 public:
  explicit TransferCounter(GfxLib& inner) : ForwardingGfxLib(inner) {}

  uint64_t minimumTransactions() const { return closedUnits_ + UnitsOf(openWriteBytes_); }

  int32_t DdcAuxRead(uint8_t ddcAddr, uint8_t* buffer, int32_t* length) override;
  int32_t DdcAuxWrite(uint8_t ddcAddr, const uint8_t* data, int32_t length) override;
  int32_t NativeAuxRead(uint32_t dpcdAddr, uint8_t* buffer, int32_t length) override;
  int32_t NativeAuxWrite(uint32_t dpcdAddr, const uint8_t* data, int32_t length) override;

 private:
  static uint64_t UnitsOf(uint64_t bytes) { return bytes == 0 ? 0 : (bytes + 15) / 16; }
  // Ends the open run of DPCD writes, then counts a transfer of this many bytes.
  void CountTransfer(int64_t bytes);

  uint64_t closedUnits_ = 0;
  // The DPCD write run still open: where its next byte would go and how many it holds.
  uint32_t openWriteEnd_ = 0;
  uint64_t openWriteBytes_ = 0;
};

}  // namespace vexa::bench
