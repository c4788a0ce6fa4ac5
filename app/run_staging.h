#pragma once

#include "app/configuration.h"
#include "engine/isp_context.h"

namespace vexa {

// What "Start" does before the worker runs: reads every target's driver and BIN file and
// assigns them to the target. A target left without images is skipped by the run, which
// reports it, so the results are not needed here.
void StageRunFiles(IspContext& ctx, const Configuration& config);

}  // namespace vexa
