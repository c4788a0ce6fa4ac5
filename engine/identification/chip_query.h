#pragma once

#include <cstdint>

#include "engine/isp_context.h"

namespace vexa {

// Identifies the chip at currentDdcAddr from its DPCD branch-device bytes and chip-ID
// registers. True when the type was recognised and the branch bytes were read. Clears the
// first error first; outside boot-code mode it sets the chip geometry of the type found.
bool QueryChip(IspContext& ctx, ChipInfo& info);

// Boot-code version from the info block at the end of the flash's image area; 0 = none.
uint16_t ReadFlashBootCodeVersion(IspContext& ctx, ChipType type);

}  // namespace vexa
