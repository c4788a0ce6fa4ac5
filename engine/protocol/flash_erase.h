#pragma once

#include <cstdint>

#include "engine/isp_context.h"

namespace vexa {

// Erase codes of the ISP driver: the whole flash, or every byte but the boot code of a
// 512 KiB / 256 KiB image.
inline constexpr uint16_t kEraseWholeFlash = 0xFFFF;
inline constexpr uint16_t kEraseApp512K = 0xFFB2;
inline constexpr uint16_t kEraseApp256K = 0xFFB1;

// Erases the flash through the mailbox, moving progressDone by eraseProgressBudget in all.
bool EraseFlash(IspContext& ctx, uint16_t code);

// EraseFlash between its "started" and "done!"/"failed!" log lines.
bool RunFlashErase(IspContext& ctx, uint16_t code);

// Resets the chip through the mailbox (the driver then boots the flash).
bool SendReset1Cmd(IspContext& ctx);

}  // namespace vexa
