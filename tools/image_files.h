#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/chip_profile.h"

namespace vexa::tools {

// A firmware BIN image for the simulated board (and any tool that reads BIN files): pseudo-
// random application bytes, the application's info block (three version bytes, the family
// signature), and optionally a boot-code region at the end with its own info block, in which
// case the application's info block ends 0x2000 bytes before the end.
struct BinImageOptions {
  sim::ChipModel model = sim::ChipModel::kOcelin4100;
  // The application's three info-block version bytes in image order (20, 19 and 18 bytes
  // before the end of its block).
  std::array<uint8_t, 3> version{};
  // High byte major, low byte minor; empty for an image without boot code.
  std::optional<uint16_t> bootCodeVersion;
  // 0: the chip type's flash size.
  uint32_t size = 0;
  // Application bytes filled with data from offset 0; 0: the whole application region. The
  // rest stays 0xFF, as blank flash.
  uint32_t dataSize = 0;
  uint32_t seed = 1;
};

// A driver file the simulated chip boots: a sealed driver of `length` bytes, optionally
// behind the 4-byte length header (00, length / 256, 00, 00), padded to the smallest driver
// file size.
struct DriverFileOptions {
  sim::ChipModel model = sim::ChipModel::kOcelin4100;
  uint32_t length = 0x2000;
  bool lengthHeader = false;
  uint32_t seed = 1;
};

struct BuiltFile {
  // Empty when the options were refused; error then says why.
  std::vector<uint8_t> bytes;
  std::string error;
};

BuiltFile BuildBinImage(const BinImageOptions& options);
BuiltFile BuildDriverFile(const DriverFileOptions& options);

}  // namespace vexa::tools
