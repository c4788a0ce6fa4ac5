#pragma once

#include <array>
#include <cstdint>

namespace vexa {

enum class ChipType : int32_t {
  kNone = 0,
  kOcelin4100 = 1,
  kOcelin4150 = 2,
  kArivane = 3,
  kSolvenia = 4,
  kQuivel = 5,
};

// What the chip runs: its internal ROM, the boot code in flash or the application firmware.
enum class RunMode : int32_t {
  kNone = 0,
  kInternalRom = 1,
  kBootCode = 2,
  kApplication = 3,
};

// What QueryChip learns about the chip at the current DDC address.
struct ChipInfo {
  ChipType chipType = ChipType::kNone;
  // Silicon revision (DPCD 0x509: major in bits 7..4, minor in bits 3..0); 0 = not shown.
  uint16_t cut = 0;
  // DisplayPort branch device identification string (DPCD 0x503..0x508), not terminated.
  std::array<uint8_t, 6> branchId{};
  RunMode runMode = RunMode::kNone;
  // High byte major, low byte minor; 0 = none found.
  uint16_t bootCodeVersion = 0;
  // Packed per chip type as FwVersionText and RevisionText expect; 0 = none.
  uint32_t fwVersion = 0;
  uint32_t fwRevision = 0;
};

// What a firmware BIN file carries, packed like ChipInfo.
struct FwFileInfo {
  ChipType chipType = ChipType::kNone;
  uint16_t bootCodeVersion = 0;
  uint32_t fwVersion = 0;
  uint32_t fwRevision = 0;
};

}  // namespace vexa
