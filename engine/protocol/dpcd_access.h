#pragma once

#include <cstdint>
#include <span>

#include "engine/isp_context.h"

namespace vexa {

// Native AUX access of the protocol operations, through the context's transport; no
// transport gives status 2 and nothing is sent.

// Reads length bytes at addr into replyBuffer. replyBuffer[0] is cleared first, so a failed
// read never leaves an earlier answer's first byte behind. A length beyond replyBuffer gives
// status 3.
int32_t ReadDpcd(IspContext& ctx, uint32_t addr, int32_t length);
int32_t ReadDpcdByte(IspContext& ctx, uint32_t addr);

int32_t WriteDpcd(IspContext& ctx, uint32_t addr, std::span<const uint8_t> bytes);

}  // namespace vexa
