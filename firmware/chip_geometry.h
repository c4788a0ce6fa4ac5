#pragma once

#include <cstdint>

#include "context/isp_context.h"

namespace vexa {

// Size of the boot-code region at the end of the image and of the flash.
uint32_t BootCodeSize(ChipType type);

// Size of the image area of the flash: 512 KiB for the first family, 256 KiB otherwise.
uint32_t ImageEnd(ChipType type);

// True for the two models of the first family, whose files and chips accept each other.
bool IsFirstFamily(ChipType type);

// Sets the flash mapping and driver load, entry and boot-delay values of the chip type.
void SetChipGeometry(IspContext& ctx, ChipType type);

}  // namespace vexa
