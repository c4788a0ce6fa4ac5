#pragma once

#include <array>
#include <string>

#include "engine/isp_context.h"

namespace vexa {

// Firmware BIN path of each target (UTF-8); an empty path leaves the target out.
using FwFilePaths = std::array<std::string, kTargetCount>;

// Identifies every configured target's chip and reads and parses its BIN file, leaving the
// results in chipInfo, connectErrorText, fwFileInfo and fwFileStatusText. True when every
// configured target's chip answered. Runs outside any run, on the caller's thread.
bool QueryOnBoard(IspContext& ctx, const FwFilePaths& fwFilePath);

// Runs QueryChip on target index's chip, a port's through forwarding opened for the query and
// closed after it. False when QueryChip fails, or when the port cannot be opened (info is then
// left as it was).
bool QueryTargetChip(IspContext& ctx, size_t index, ChipInfo& info);

// "<Host  > ", "<Port#1> ", "<Port#2> "; empty for any other index.
std::string TargetLabel(size_t index);

}  // namespace vexa
