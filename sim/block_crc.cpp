#include "sim/block_crc.h"

namespace vexa::sim {

uint16_t FirmwareBlockCrc(std::span<const uint8_t> bytes) {
  constexpr uint16_t kPolynomial = 0x1021;
  uint16_t crc = 0x1021;
  for (const uint8_t byte : bytes) {
    for (int bit = 7; bit >= 0; --bit) {
      const bool feedback = ((crc >> 15) & 1) != ((byte >> bit) & 1);
      crc = static_cast<uint16_t>(crc << 1);
      if (feedback) crc ^= kPolynomial;
    }
  }
  return crc;
}

}  // namespace vexa::sim
