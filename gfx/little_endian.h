#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexa {

// The vendor drivers' records hold little-endian 32-bit fields whatever the host's byte order.
// Each user keeps its own table of where the fields lie; only the byte order is shared.

inline uint32_t LoadLe32(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

inline void StoreLe32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The same fields for records that declare them signed (two's complement).
inline int32_t LoadLeInt32(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int32_t>(LoadLe32(bytes, offset));
}

inline void StoreLeInt32(std::span<uint8_t> bytes, size_t offset, int32_t value) {
  StoreLe32(bytes, offset, static_cast<uint32_t>(value));
}

}  // namespace vexa
