#pragma once

#include <cstdint>
#include <vector>

namespace vexa::testing {

// Reply frames as the chip sends them, for scripting DDC reads.

// The acknowledge frame of the chip at addr (6E 85 C2 00 00 03 0C 76 at 0x6E).
std::vector<uint8_t> AckReply(uint8_t addr);

// A data reply carrying opcode and data, with a correct checksum.
std::vector<uint8_t> DataReply(uint8_t addr, uint8_t opcode, const std::vector<uint8_t>& data);

// The DDC/CI null message of the chip at addr.
std::vector<uint8_t> NullMessage(uint8_t addr);

// The request frame the host sends for opcode and parameters, checksum seeded with addr.
std::vector<uint8_t> RequestFrame(uint8_t addr, uint8_t opcode, const std::vector<uint8_t>& params);

}  // namespace vexa::testing
