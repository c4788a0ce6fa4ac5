#pragma once

#include <cstdint>
#include <string_view>

#include "chip/chip_types.h"

namespace vexa {

// Everything the tool knows about one chip type: names, flash layout, where the ISP driver
// runs and the markers the chip shows. One row per type, so that adding or correcting a chip
// is one place.
struct ChipTraits {
  ChipType type = ChipType::kNone;
  // Display name, e.g. "Ocelin [4100]".
  std::string_view name;
  // The two models of the first family accept each other's files.
  bool firstFamily = false;
  // Size of the image area of the flash, and of the boot-code region at its end.
  uint32_t imageEnd = 0;
  uint32_t bootCodeSize = 0;
  // Where the flash appears in the chip's address space.
  uint32_t flashBaseAddr = 0;
  // Where the ISP driver is loaded into RAM, and where it starts.
  uint16_t driverLoadAddr = 0;
  uint16_t driverEntryAddr = 0;
  // The flash info block read for the boot-code version lies this many bytes before imageEnd.
  uint32_t flashInfoOffset = 0;
  // Chip address of the chip's internal copy of its DPCD branch registers.
  uint32_t internalDpcdCopyAddr = 0;
  // The branch ID the chip shows while its boot code runs.
  std::string_view bootCodeBranchId;
  // Taken from the silicon revision's major and minor digits for display.
  int cutMajorOffset = 0;
  int cutMinorOffset = 0;
  // Progress units an update of the boot code adds to a target's estimate.
  uint16_t bootCodeUpdateWork = 0;
};

// The row of type; a row of zeros and empty texts for ChipType::kNone or an unknown value.
const ChipTraits& TraitsOf(ChipType type);

// Size of the boot-code region at the end of the image and of the flash.
inline uint32_t BootCodeSize(ChipType type) {
  return TraitsOf(type).bootCodeSize;
}

// Size of the image area of the flash: 512 KiB for the first family, 256 KiB otherwise.
inline uint32_t ImageEnd(ChipType type) {
  return TraitsOf(type).imageEnd;
}

// True for the two models of the first family, whose files and chips accept each other.
inline bool IsFirstFamily(ChipType type) {
  return TraitsOf(type).firstFamily;
}

// The largest image area of any chip: no firmware file can be larger.
uint32_t LargestImageEnd();

// DisplayPort branch IDs by which the port scan recognises a converter chip of this maker.
inline constexpr std::string_view kProbeBranchIdPrefixes[] = {"KEST", "VX430"};

}  // namespace vexa
