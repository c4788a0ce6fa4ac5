#include "engine/protocol/dpcd_access.h"

#include "engine/isp_status.h"

namespace vexa {

int32_t ReadDpcd(IspContext& ctx, uint32_t addr, int32_t length) {
  ctx.replyBuffer[0] = 0;
  if (ctx.activeGfxLib == nullptr) return isp_status::kNoTransport;
  if (length < 0 || static_cast<size_t>(length) > ctx.replyBuffer.size()) {
    return isp_status::kInvalidParameter;
  }
  return ctx.activeGfxLib->NativeAuxRead(addr, ctx.replyBuffer.data(), length);
}

int32_t ReadDpcdByte(IspContext& ctx, uint32_t addr) {
  return ReadDpcd(ctx, addr, 1);
}

int32_t WriteDpcd(IspContext& ctx, uint32_t addr, std::span<const uint8_t> bytes) {
  if (ctx.activeGfxLib == nullptr) return isp_status::kNoTransport;
  return ctx.activeGfxLib->NativeAuxWrite(addr, bytes.data(), static_cast<int32_t>(bytes.size()));
}

}  // namespace vexa
