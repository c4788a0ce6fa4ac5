#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "sim/chip_profile.h"

namespace vexa::sim {

// A simulated chip cannot execute driver code, so a driver it can boot carries a 16-byte
// descriptor as its first bytes: "VXDR", the chip type it was built for, a format version,
// its length in bytes (little-endian, descriptor included) and an FNV-1a hash of the bytes
// after the descriptor (little-endian). The boot checks all of it against chip RAM, so a
// download that was misplaced, cut short or corrupted is caught where a real chip would
// crash.
inline constexpr size_t kDriverDescriptorSize = 16;

// Fills driver[0..15] with the descriptor of the whole span, built for model. The span must
// be at least kDriverDescriptorSize and at most 0xFFFF bytes (the length field's 16 bits).
void SealDriver(std::span<uint8_t> driver, ChipModel model);

// True when chip RAM holds, at the chip's driver load address, a sealed driver built for
// this chip whose bytes cover the chip's driver entry address.
bool CanBootDriver(std::span<const uint8_t> ram, const ChipProfile& chip);

}  // namespace vexa::sim
