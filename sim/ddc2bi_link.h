#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/aux_transaction.h"

namespace vexa::sim {

// A request frame as the chip accepted it.
struct Ddc2biRequest {
  // The I2C address the frame was written to (its checksum seed).
  uint8_t address = 0;
  uint8_t opcode = 0;
  std::vector<uint8_t> params;
};

// Checks a request frame received at address: source 0x51, length byte 0x80 | n with n + 3
// bytes in all, C2 00 00, inner length n - 2, and the checksum (address XOR every byte before
// it). Empty when any of these is wrong: the chip ignores such a frame.
std::optional<Ddc2biRequest> ParseRequestFrame(uint8_t address, std::span<const uint8_t> frame);

// Most data bytes one reply frame carries: its length byte counts at most 127 bytes, five of
// which are C2 00 00, the inner length and the opcode.
inline constexpr size_t kMaxReplyData = 122;

// The chip's I2C side of DDC2bi: gathers each write transaction into one frame, and answers
// each read transaction with the reply pending for that address, framed (address, length,
// C2 00 00, inner length, opcode, data, checksum 0x50 XOR every byte), or, when none is
// pending, with a DDC/CI null message. Reading a reply consumes it.
class Ddc2biLink {
 public:
  // Takes one piece of a write transaction; returns the complete frame once phase.ends.
  std::optional<std::vector<uint8_t>> Write(std::span<const uint8_t> bytes, I2cPhase phase);

  // Fills out with the next bytes of the read transaction at address; reads past the end of
  // the reply give 0xFF, as an idle bus does.
  void Read(uint8_t address, std::span<uint8_t> out, I2cPhase phase);

  // The reply to the command just received; the last one set wins.
  void SetAcknowledge(uint8_t address);
  void SetDataReply(uint8_t address, uint8_t opcode, std::span<const uint8_t> data);
  void ClearReply();

  // Forgets every transaction in progress and the pending reply.
  void Reset();

 private:
  struct PendingReply {
    uint8_t address;
    uint8_t opcode;
    std::vector<uint8_t> data;
  };

  std::vector<uint8_t> incoming_;
  std::optional<PendingReply> pending_;
  std::vector<uint8_t> outgoing_;
  size_t outgoingPos_ = 0;
};

}  // namespace vexa::sim
