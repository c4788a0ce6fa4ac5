#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "sim/chip_profile.h"

namespace vexa::sim {

// What a chip runs after it booted.
enum class RunMode {
  kInternalRom,
  kBootCode,
  kApplication,
};

// What the boot finds in the flash.
struct FlashFirmware {
  RunMode runMode = RunMode::kInternalRom;
  // The boot-code region at the end of the flash is valid (family signature and marker).
  bool hasBootCode = false;
  uint16_t bootCodeVersion = 0;
  // The application's three info-block version bytes, in image order; zero without one.
  std::array<uint8_t, 3> applicationVersion{};
};

// The boot decision: the application when its info block carries the family signature
// (the block ends 0x2000 bytes before the flash end when a boot code follows it), else the
// boot code when its region is valid, else the internal ROM.
FlashFirmware InspectFlash(const ChipProfile& profile, std::span<const uint8_t> flash);

// DPCD 0x503..0x50C: branch ID (6 bytes), hardware revision, three version bytes.
using BranchBytes = std::array<uint8_t, 10>;

// The branch-device bytes a chip reports for the firmware it runs. The version bytes are
// packed per chip type so that the version the tool reads from them is the version the
// tool reads from the image file that was written.
BranchBytes EncodeBranchBytes(const ChipProfile& profile, const FlashFirmware& firmware,
                              uint8_t cut);

}  // namespace vexa::sim
