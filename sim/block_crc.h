#pragma once

#include <cstdint>
#include <span>

namespace vexa::sim {

// The check the ISP driver makes on every firmware block: CRC-16, polynomial 0x1021, most
// significant bit first, starting from 0x1021, no reflection and no final XOR.
uint16_t FirmwareBlockCrc(std::span<const uint8_t> bytes);

}  // namespace vexa::sim
