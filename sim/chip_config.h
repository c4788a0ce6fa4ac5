#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "sim/chip_profile.h"

namespace vexa::sim {

// DPCD windows of the running ISP driver, as its buffer-info block announces them.
struct MailboxConfig {
  uint32_t bufferAddr = 0x20000;
  // Even: the buffer is used as two halves.
  uint16_t bufferSize = 0x200;
  uint32_t ackAddr = 0x10000;
};

// Size of the driver's acknowledge area, announced in the buffer-info block.
inline constexpr uint16_t kAckAreaSize = 0x80;

// Failures a chip can be told to show, for rehearsing them. Counts are 1-based; 0 = off.
struct ChipFaults {
  // DDC2bi commands with this opcode are dropped: never executed, never answered.
  std::optional<uint8_t> noAckOpcode;
  // The n-th RAM-write frame after a reset-0 (the n-th chunk of a driver download) is dropped.
  uint32_t driverChunkNoAck = 0;
  // The ISP driver never posts the flash ID.
  bool flashIdNever = false;
  // An erase never completes (no acknowledge, nothing erased).
  bool eraseNever = false;
  // The n-th firmware block a running driver receives is answered 03 0C F2 and not written.
  uint32_t blockReject = 0;
  // From the n-th AUX transaction that reaches this chip on, every transaction fails in the
  // transport. Every transaction passes the host chip; a port chip sees those forwarded to it.
  uint32_t transportFailAfter = 0;
};

// One chip as the board file describes it (everything but its flash contents).
struct ChipConfig {
  ChipModel model = ChipModel::kOcelin4100;
  // DPCD 0x509, the hardware revision.
  uint8_t cut = 0x21;
  // 8-bit I2C write address of the chip's DDC2bi commands.
  uint8_t ddcAddr = 0x6E;
  uint16_t flashId = 0xC813;
  std::chrono::milliseconds eraseTime{1500};
  MailboxConfig mailbox;
  ChipFaults faults;
};

}  // namespace vexa::sim
