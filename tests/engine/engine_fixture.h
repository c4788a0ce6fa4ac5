#pragma once

#include <gtest/gtest.h>

#include "engine/isp_context.h"
#include "testing/scripted_gfx.h"
#include "util/clock.h"

namespace vexa::testing {

// A context on a virtual clock whose transport is a scripted GfxLib.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() { ctx.activeGfxLib = &gfx; }

  std::chrono::milliseconds ElapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock.Elapsed());
  }

  VirtualClock clock;
  ScriptedGfx gfx;
  IspContext ctx{clock};
};

}  // namespace vexa::testing
