#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "chip/chip_types.h"

namespace vexa {

// Offset from the end of a BIN file at which the application's info block ends when the file
// also carries a boot code; its version word sits at E[-0x2014].
inline constexpr size_t kAppInfoBlockEnd = 0x2000;
// Shortest BIN file with a boot-code marker whose positions can all be read.
inline constexpr size_t kMinBootCodeFileSize = 0x2014;
// Shortest BIN file that holds an info block.
inline constexpr size_t kInfoBlockSize = 20;

// Family signatures of an info block, in a BIN file and in flash alike, and the marker byte
// that says the block describes a boot code.
inline constexpr std::string_view kArivaneSignature = "ARIV";
inline constexpr std::string_view kOcelinSignature = "OCLN";
inline constexpr std::string_view kSolveniaSignature = "SOLV";
inline constexpr std::string_view kQuivelSignature = "UNDA";
inline constexpr uint8_t kBootCodeMarker = 0xBC;

// Recognises the chip family signature at the end of a BIN file and extracts its versions.
// False (info.fwVersion 0) when the file carries no known signature, or is too short for the
// positions its signature and marker name.
bool ParseFwFile(std::span<const uint8_t> data, FwFileInfo& info);

// The run's acceptance rule: equal non-zero types, or both of the first family.
bool FileMatchesChip(ChipType fileType, ChipType chipType);

}  // namespace vexa
