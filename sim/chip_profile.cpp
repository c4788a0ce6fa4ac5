#include "sim/chip_profile.h"

#include <array>

namespace vexa::sim {

namespace {

constexpr InfoBlockLayout kOcelinInfo{.signature = "OCLN"};
constexpr InfoBlockLayout kArivaneInfo{.signature = "ARIV", .bootMarkerBack = 12};
constexpr InfoBlockLayout kSolveniaInfo{.signature = "SOLV"};
// Type-5 images keep their signature and boot-code fields in the block's last 12 bytes.
constexpr InfoBlockLayout kQuivelInfo{
    .signature = "UNDA", .signatureBack = 8, .bootMarkerBack = 2, .bootVersionBack = 12};

// Types 4 and 5 have no branch ID of their own for the internal ROM: they report the
// boot-code ID with version 0.0, so the tool sees no boot code and no application.
constexpr std::array<ChipProfile, 5> kProfiles = {{
    {ChipModel::kOcelin4100, 0x80000, 0x400000, 0x1000, 0x1800, 0x1800, 0x2801, 0x0000, 0x1B000,
     kOcelinInfo, "VX4100", "OCLNBC", "4100IR"},
    {ChipModel::kOcelin4150, 0x80000, 0x400000, 0x1000, 0x1800, 0x1800, 0x2811, 0x0000, 0x1B000,
     kOcelinInfo, "VX4150", "OCLNBC", "4100IR"},
    {ChipModel::kArivane, 0x40000, 0x400000, 0x2000, 0x1800, 0x1800, 0x0000, 0x4301, 0x10000,
     kArivaneInfo, "ARIVAN", "ARIVBC", "ARIVG0"},
    {ChipModel::kSolvenia, 0x40000, 0x400000, 0x2000, 0x1800, 0x1800, 0x2601, 0x0000, 0x1B000,
     kSolveniaInfo, "SOLVEN", "SOLVBC", "SOLVBC"},
    {ChipModel::kQuivel, 0x40000, 0x80000, 0x2000, 0x0580, 0x1D00, 0x0000, 0x0164, 0x9000,
     kQuivelInfo, "QUVIEL", "QUvlBC", "QUvlBC"},
}};

}  // namespace

std::optional<ChipModel> ChipModelFromNumber(int64_t number) {
  if (number < 1 || number > static_cast<int64_t>(kProfiles.size())) return std::nullopt;
  return static_cast<ChipModel>(number);
}

const ChipProfile& ProfileOf(ChipModel model) {
  return kProfiles[static_cast<size_t>(model) - 1];
}

bool IsFirstFamily(ChipModel model) {
  return model == ChipModel::kOcelin4100 || model == ChipModel::kOcelin4150;
}

bool DriverFitsChip(ChipModel driverModel, ChipModel chipModel) {
  return driverModel == chipModel || (IsFirstFamily(driverModel) && IsFirstFamily(chipModel));
}

}  // namespace vexa::sim
