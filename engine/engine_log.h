#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/isp_context.h"

namespace vexa {

// Longest engine log line, time stamp included, in UTF-16 units; longer lines are cut.
inline constexpr size_t kMaxLogLineUnits = 511;

// Appends one message to the engine log, preceded by "[hh:mm:ss.mmm] " when time stamps are on.
// Never fails towards the caller.
void AddIspLog(IspContext& ctx, std::string_view message);

// The consumer side: copies out the entry at logReadIndex and advances the index, or returns
// nothing when every entry has been taken.
std::optional<std::string> TakeNextLogLine(IspContext& ctx);

// The user's one-line view of the first error: "Error (%d): %s", or for a failed transport
// call (code 6) the transport's own record, taken when the failure was recorded, as
// "Gfx Error (...): %s".
std::string FormatFirstError(const IspContext& ctx);

}  // namespace vexa
