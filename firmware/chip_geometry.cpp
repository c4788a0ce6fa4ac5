#include "firmware/chip_geometry.h"

namespace vexa {

uint32_t BootCodeSize(ChipType type) {
  return IsFirstFamily(type) ? 0x1000 : 0x2000;
}

uint32_t ImageEnd(ChipType type) {
  return IsFirstFamily(type) ? 0x80000 : 0x40000;
}

bool IsFirstFamily(ChipType type) {
  return type == ChipType::kOcelin4100 || type == ChipType::kOcelin4150;
}

void SetChipGeometry(IspContext& ctx, ChipType type) {
  const bool quivel = type == ChipType::kQuivel;
  ctx.flashBaseAddr = quivel ? 0x80000 : 0x400000;
  ctx.driverLoadAddr = quivel ? 0x580 : 0x1800;
  ctx.driverEntryAddr = quivel ? 0x1D00 : 0x1800;
  ctx.driverBootDelayMs = 800;
}

}  // namespace vexa
