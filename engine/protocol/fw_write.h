#pragma once

#include <cstdint>
#include <span>

#include "engine/isp_context.h"

namespace vexa {

// CRC-16 of a firmware block as the ISP driver checks it: polynomial 0x1021, most significant
// bit first, initial value 0x1021, no reflection, no final XOR.
uint16_t FwBlockCrc(std::span<const uint8_t> bytes);

// Places a block of k image bytes followed by 00 00 and its CRC (high byte first) in
// transferBuffer. False when data is empty, k < 1, or the block does not fit; otherwise n is
// the payload length k + 4 and notBlank whether any byte is not 0xFF.
bool PrepareFwBlock(IspContext& ctx, std::span<const uint8_t> data, int k, int& n, bool& notBlank);

// Writes length bytes of data to the flash at flashBaseAddr + imageOffset in blocks that fit
// the driver's buffer, skipping blank blocks.
bool ExecuteFwWriteBlock(IspContext& ctx, std::span<const uint8_t> data, uint32_t length,
                         uint32_t imageOffset);

// Writes the current target's regions as its boot-code action says, logging each region.
bool WriteFirmware(IspContext& ctx);

// Plans a target's progress units: returns those of its driver download and data, and adds its
// boot-code allowance and erase budget to progressTotal itself (setting eraseProgressBudget).
int32_t EstimateTargetWork(IspContext& ctx, const IspTarget& target);

}  // namespace vexa
