#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vexa {

// Driver files the chip RAM can take, and the largest file the loader reads at all (its
// 16-bit size and 512-byte rounded buffer must agree).
inline constexpr uint32_t kMinDriverFileSize = 0x800;
inline constexpr uint32_t kMaxDriverFileSize = 0x8000;
inline constexpr uint32_t kMaxLoadableDriverFile = 0xFE00;
// A driver image may start with a 4-byte header giving its length, at most 0x4000 bytes.
inline constexpr size_t kDriverHeaderSize = 4;
inline constexpr uint32_t kMaxHeadedDriverLength = 0x4000;

// The length a driver image's header announces, or nullopt for an image without one. An image
// has a header when byte 0 is zero and bytes 0..1, little-endian, give at most 0x4000: the
// length is then byte 1 x 256 and the driver starts after the 4 header bytes, whatever bytes
// 2 and 3 hold.
std::optional<uint16_t> DriverHeaderLength(std::span<const uint8_t> image);

// What the download takes from a driver file: length bytes from payloadOffset on.
struct DriverLayout {
  uint16_t length = 0;
  size_t payloadOffset = 0;
};

// The layout of a driver file; nullopt when its size is outside 0x800..0x8000 or its header
// promises more bytes than follow the header.
std::optional<DriverLayout> ParseDriverFile(std::span<const uint8_t> file);

}  // namespace vexa
