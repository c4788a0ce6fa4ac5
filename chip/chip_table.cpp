#include "chip/chip_table.h"

#include <algorithm>
#include <array>

namespace vexa {

namespace {

constexpr ChipTraits kNoChip{};

// The two models of the first family differ only in name.
constexpr ChipTraits kOcelin4100{.type = ChipType::kOcelin4100,
                                 .name = "Ocelin [4100]",
                                 .firstFamily = true,
                                 .imageEnd = 0x80000,
                                 .bootCodeSize = 0x1000,
                                 .flashBaseAddr = 0x400000,
                                 .driverLoadAddr = 0x1800,
                                 .driverEntryAddr = 0x1800,
                                 .flashInfoOffset = 20,
                                 .internalDpcdCopyAddr = 0x1B503,
                                 .bootCodeBranchId = "OCLNBC",
                                 .bootCodeUpdateWork = 3400};

constexpr ChipTraits Renamed(ChipTraits chip, ChipType type, std::string_view name) {
  chip.type = type;
  chip.name = name;
  return chip;
}

constexpr std::array<ChipTraits, 5> kChips = {{
    kOcelin4100,
    Renamed(kOcelin4100, ChipType::kOcelin4150, "Ocelin [4150]"),
    {.type = ChipType::kArivane,
     .name = "Arivane",
     .imageEnd = 0x40000,
     .bootCodeSize = 0x2000,
     .flashBaseAddr = 0x400000,
     .driverLoadAddr = 0x1800,
     .driverEntryAddr = 0x1800,
     .flashInfoOffset = 20,
     .internalDpcdCopyAddr = 0x10503,
     .bootCodeBranchId = "ARIVBC",
     .bootCodeUpdateWork = 5000},
    {.type = ChipType::kSolvenia,
     .name = "Solvenia",
     .imageEnd = 0x40000,
     .bootCodeSize = 0x2000,
     .flashBaseAddr = 0x400000,
     .driverLoadAddr = 0x1800,
     .driverEntryAddr = 0x1800,
     .flashInfoOffset = 20,
     .internalDpcdCopyAddr = 0x1B503,
     .bootCodeBranchId = "SOLVBC",
     .cutMinorOffset = 1,
     .bootCodeUpdateWork = 3400},
    {.type = ChipType::kQuivel,
     .name = "Quivel",
     .imageEnd = 0x40000,
     .bootCodeSize = 0x2000,
     .flashBaseAddr = 0x80000,
     .driverLoadAddr = 0x580,
     .driverEntryAddr = 0x1D00,
     .flashInfoOffset = 12,
     .internalDpcdCopyAddr = 0x9503,
     .bootCodeBranchId = "QUvlBC",
     .cutMajorOffset = 4,
     .cutMinorOffset = 5,
     .bootCodeUpdateWork = 1800},
}};

}  // namespace

uint32_t LargestImageEnd() {
  uint32_t largest = 0;
  for (const ChipTraits& chip : kChips) largest = std::max(largest, chip.imageEnd);
  return largest;
}

const ChipTraits& TraitsOf(ChipType type) {
  for (const ChipTraits& chip : kChips) {
    if (chip.type == type) return chip;
  }
  return kNoChip;
}

}  // namespace vexa
