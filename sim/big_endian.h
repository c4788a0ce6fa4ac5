#pragma once

#include <cstdint>
#include <span>

namespace vexa::sim {

// The value of up to four bytes, most significant byte first, as the chip's command
// parameters and firmware-block fields carry their numbers.
inline uint32_t BigEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (const uint8_t byte : bytes) value = value << 8 | byte;
  return value;
}

}  // namespace vexa::sim
