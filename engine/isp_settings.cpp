#include "engine/isp_settings.h"

#include <algorithm>

namespace vexa {

void ApplyIspSettings(IspContext& ctx, const IspSettingValues& values) {
  for (size_t i = 0; i < kTargetCount; ++i) {
    const int32_t addr = values.ddc2biAddr[i].value_or(0);
    ctx.targets[i].ddc2biAddr = addr == 0 ? kDefaultDdc2biAddr : static_cast<uint8_t>(addr);
    ctx.targets[i].progBootCode = values.progBootCode[i].value_or(1) != 0 ? 1 : 0;
  }

  if (values.nextIspDelay) {
    const auto raw = static_cast<uint32_t>(*values.nextIspDelay);
    const auto low = static_cast<uint16_t>(raw);
    if (raw > 500 && low > 500) ctx.nextIspDelayMs = low;
  }
  if (values.flashEraseTime) {
    const auto raw = static_cast<uint32_t>(*values.flashEraseTime);
    if (raw > 100) {
      ctx.flashEraseTimeMs = std::clamp<uint16_t>(static_cast<uint16_t>(raw), 300, 30000);
    }
  }
  if (values.printTimeStamp) ctx.printTimeStamp = *values.printTimeStamp != 0;

  ctx.portsConfigured = values.portsConfigured;
  // With downstream ports the host chip is addressed at its forwarding interface.
  if (ctx.portsConfigured) ctx.targets[kHostTarget].ddc2biAddr = kHostForwardingDdcAddr;
}

}  // namespace vexa
