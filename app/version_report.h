#pragma once

#include <string>

#include "app/configuration.h"
#include "engine/isp_context.h"

namespace vexa {

// The "Get FW Version" report of every configured target, from the results QueryOnBoard left
// in ctx: "Current on-board info:\r\n" and two lines per target (chip, then the new version).
std::string FirmwareVersionReport(const IspContext& ctx, const Configuration& config);

}  // namespace vexa
