#pragma once

#include <string>

#include "engine/isp_context.h"

namespace vexa {

// The whole run of "Start": checks the three targets, decides each one's boot-code action,
// programs host, Port#1 and Port#2 in that order, resets the host after the ports and
// publishes the final runStatus as its last write. True when every programmed target succeeded.
bool RunIsp(IspContext& ctx);

// Programs one target (forwarding opened and closed around a downstream one).
bool IspOnTarget(IspContext& ctx, size_t index);

// After target index failed: makes its error the one the run shows. A failure that recorded a
// code-0 text keeps it; one that recorded nothing gets the transport's record (code 6) when
// the transport has one, else "ISP on [<target>] failed!" (code 7). Later errors of other
// targets no longer replace it.
void HoldTargetFailure(IspContext& ctx, size_t index);

// Logs the on-board and BIN-file boot-code versions of a target.
void LogBootCodeVersions(IspContext& ctx, size_t index);

// Erases what the current target's boot-code action says: the application region of a
// 512 KiB / 256 KiB image, or the whole flash.
bool EraseForTarget(IspContext& ctx);

// "Host", "Port#1", "Port#2"; empty for any other index.
std::string TargetName(size_t index);

}  // namespace vexa
