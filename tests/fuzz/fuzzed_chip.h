#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/isp_context.h"
#include "tests/fuzz/fuzzed_gfx.h"
#include "util/clock.h"

namespace vexa::fuzz {

// An engine context in virtual time whose transport is a chip answering with the fuzzer's
// bytes.
struct FuzzedChip {
  FuzzedChip(const uint8_t* data, size_t size) : gfx({data, size}) {
    InitIspContext(ctx);
    ctx.activeGfxLib = &gfx;
  }

  VirtualClock clock;
  IspContext ctx{clock};
  FuzzedGfx gfx;
};

}  // namespace vexa::fuzz
