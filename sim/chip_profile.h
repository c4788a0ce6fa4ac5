#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexa::sim {

// The five chip types the board can carry; the numbers are the ChipType values users write
// in the board file.
enum class ChipModel : int {
  kOcelin4100 = 1,
  kOcelin4150 = 2,
  kArivane = 3,
  kSolvenia = 4,
  kQuivel = 5,
};

std::optional<ChipModel> ChipModelFromNumber(int64_t number);

// Where a firmware image's info block keeps its fields, counted back from the block's end
// (the end of the image, or of the application region when a boot code follows it).
struct InfoBlockLayout {
  // Four-letter family signature and how far before the end it starts.
  std::string_view signature;
  uint32_t signatureBack = 16;
  // The byte that reads 0xBC when the block describes a boot code.
  uint32_t bootMarkerBack = 10;
  // The boot-code version word, little-endian.
  uint32_t bootVersionBack = 20;
};

// Info-block bytes every layout shares: the application's three version bytes start 20
// bytes before the end, and the block is never longer than that.
inline constexpr uint32_t kInfoVersionBack = 20;
inline constexpr uint32_t kInfoBlockSize = 20;
// The application's info block ends this far before the image end when a boot code follows.
inline constexpr uint32_t kAppInfoOffsetWithBootCode = 0x2000;
inline constexpr uint8_t kBootCodeMarker = 0xBC;

// Everything that differs between the chip types, as the chip itself sees it.
struct ChipProfile {
  ChipModel model;
  // SPI flash size; a firmware image fills it from offset 0.
  uint32_t flashSize;
  // Chip address at which the flash is mapped for RAM reads and firmware blocks.
  uint32_t flashBase;
  // The last bootCodeSize bytes of the flash hold the boot code.
  uint32_t bootCodeSize;
  // Chip RAM address of the downloaded driver's first byte, and where the boot command must
  // jump for the driver to run.
  uint16_t driverLoadAddr;
  uint16_t driverEntryAddr;
  // Chip-ID registers 0xC802 and 0x8002.
  uint16_t idRegisterC802;
  uint16_t idRegister8002;
  // Chip address of the internal copy of DPCD 0x000..0xFFF.
  uint32_t dpcdMirrorBase;
  InfoBlockLayout infoBlock;
  // DPCD branch IDs (0x503..0x508) in each run mode.
  std::string_view applicationBranchId;
  std::string_view bootCodeBranchId;
  std::string_view romBranchId;
};

const ChipProfile& ProfileOf(ChipModel model);

// Whether model is one of the first family's two models (4100 and 4150).
bool IsFirstFamily(ChipModel model);

// Drivers built for one chip of the first family run on the other too.
bool DriverFitsChip(ChipModel driverModel, ChipModel chipModel);

}  // namespace vexa::sim
