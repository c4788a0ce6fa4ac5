#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "engine/isp_context.h"

namespace vexa {

// The configuration values that reach the engine, as read from the configuration file.
// An empty optional is a missing key.
struct IspSettingValues {
  std::array<std::optional<int32_t>, kTargetCount> ddc2biAddr;
  std::array<std::optional<int32_t>, kTargetCount> progBootCode;
  std::optional<int32_t> nextIspDelay;
  std::optional<int32_t> flashEraseTime;
  std::optional<int32_t> printTimeStamp;
  // A firmware path for Port#1 or Port#2 is configured.
  bool portsConfigured = false;
};

// Applies the settings to the context with their rules; values out of range leave the
// program-start value.
void ApplyIspSettings(IspContext& ctx, const IspSettingValues& values);

}  // namespace vexa
