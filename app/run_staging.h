#pragma once

#include "app/configuration.h"
#include "engine/isp_context.h"

namespace vexa {

// What "Start" does before the worker runs: reads every target's driver and BIN file and
// assigns them to the target. A configured target (one with a BIN file path) whose files
// cannot be used gets the reason in fileProblem; the run reports it, marks the target failed
// and ends failed, while still programming the other targets.
void StageRunFiles(IspContext& ctx, const Configuration& config);

}  // namespace vexa
