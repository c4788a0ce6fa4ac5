#pragma once

#include "engine/isp_context.h"

namespace vexa {

// Puts the current target's chip into ISP mode, downloads and boots its ISP driver, locates
// the driver's mailbox and reads the flash ID, logging each step. True when the driver runs
// and the flash was identified; the failing step has recorded the first error otherwise.
bool InitIsp(IspContext& ctx);

// Asks the running driver for the flash ID and waits for its answer; the ID's high and low
// byte end up in transferBuffer[0] and [1] (also on failure).
bool GetFlashID(IspContext& ctx);

}  // namespace vexa
