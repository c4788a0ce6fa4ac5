#include "chip/driver_file.h"

namespace vexa {

std::optional<uint16_t> DriverHeaderLength(std::span<const uint8_t> image) {
  if (image.size() < kDriverHeaderSize || image[0] != 0) return std::nullopt;
  const uint32_t length = image[1] * 256u;
  if (length > kMaxHeadedDriverLength) return std::nullopt;
  return static_cast<uint16_t>(length);
}

std::optional<DriverLayout> ParseDriverFile(std::span<const uint8_t> file) {
  if (file.size() < kMinDriverFileSize || file.size() > kMaxDriverFileSize) return std::nullopt;
  const std::optional<uint16_t> headed = DriverHeaderLength(file);
  if (!headed) return DriverLayout{static_cast<uint16_t>(file.size()), 0};
  if (*headed > file.size() - kDriverHeaderSize) return std::nullopt;
  return DriverLayout{*headed, kDriverHeaderSize};
}

}  // namespace vexa
