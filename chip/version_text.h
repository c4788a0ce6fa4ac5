#pragma once

#include <cstdint>
#include <string>

#include "chip/chip_types.h"

namespace vexa {

// Display texts of chip types, run modes and versions, as the version display and the run's
// boot-code messages show them.
std::string ChipTypeName(ChipType type);
std::string RunModeName(RunMode mode);
std::string CutText(ChipType type, uint16_t cut);
std::string FwVersionText(ChipType type, uint32_t version);
std::string RevisionText(ChipType type, uint32_t revision);
std::string BootCodeVersionText(uint16_t version);

// One line describing what the chip runs, e.g. "Ocelin [4100] (on cut2.1) App: v1.02 (Rev: 0.5)".
std::string OnBoardInfoText(const ChipInfo& info);

// The version a BIN file would put on the chip, e.g. "v1.02 (Rev: 0.5)"; empty without one.
std::string FileVersionText(const FwFileInfo& info);

}  // namespace vexa
