#pragma once

#include "transport/probe_port.h"

namespace vexa {

// The chip probe every backend's port scan runs: the ISP close command as a DDC2bi frame,
// answered by the chip's 8-byte acknowledge, or the DPCD branch ID of a converter chip of this
// maker. Lives for the whole process.
const ChipProbe& IspChipProbe();

}  // namespace vexa
