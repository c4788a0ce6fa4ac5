#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexa {

// Byte order of the fields the tool exchanges, whatever the host's own. The vendor drivers'
// records hold little-endian 32-bit fields; each user keeps its own table of where the fields
// lie, only the byte order is shared. The chip's command parameters and firmware-block fields
// carry their numbers most significant byte first.

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

// The value of up to four bytes, most significant byte first.
inline uint32_t BigEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (const uint8_t byte : bytes) value = value << 8 | byte;
  return value;
}

}  // namespace vexa
