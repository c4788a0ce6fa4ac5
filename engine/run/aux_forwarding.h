#pragma once

#include <cstdint>

#include "engine/isp_context.h"

namespace vexa {

// Asks the host chip (at its own address 0x60) to forward AUX traffic to downstream port 1
// or 2, or to stop. currentDdcAddr is left as it was. Read-back problems of the acknowledge are
// recorded with code 11; a port of 3 or more sends nothing and fails.
bool EnableAuxForwarding(IspContext& ctx, int32_t port);
bool CancelAuxForwarding(IspContext& ctx, int32_t port);

// The open sequence around a downstream target: the ISP open frame at 0x60, then the enable.
// On success currentDdcAddr is the target's own address. Reports which step failed. The chip
// query gives up when the open frame fails; programming tries the enable all the same.
enum class PortOpen { kOpened, kOpenFrameFailed, kEnableFailed };
enum class OnOpenFrameFailure { kGiveUp, kTryEnable };
PortOpen OpenPort(IspContext& ctx, size_t index, OnOpenFrameFailure onFrameFailure);

// The close sequence: cancel forwarding, then the ISP close frame at 0x60. Failures are not
// reported: the caller's result stands. currentDdcAddr stays 0x60.
void ClosePort(IspContext& ctx, size_t index);

}  // namespace vexa
