#include "engine/run/aux_forwarding.h"

#include <array>
#include <string>

#include "engine/isp_status.h"
#include "engine/protocol/command_channel.h"
#include "engine/protocol/isp_frames.h"

namespace vexa {

namespace {

constexpr int32_t kPortCount = 3;

bool SendForwardingCommand(IspContext& ctx, uint8_t opcode, int32_t port, const char* action) {
  if (port < 0 || port >= kPortCount) return false;
  const uint8_t savedAddr = ctx.currentDdcAddr;
  ctx.currentDdcAddr = kHostForwardingDdcAddr;

  bool ok = false;
  const std::array<uint8_t, 3> body = {2, opcode, static_cast<uint8_t>(port)};
  if (SendIspCommand(ctx, body) == isp_status::kOk) {
    DelayMs(ctx.clock, kCommandToAckMs);
    const int32_t ack = ReadIspAck(ctx, true);
    const std::string prefix = std::string(action) + " AUX forwarding... Read back: ";
    switch (ack) {
      case isp_status::kOk:
        ok = true;
        break;
      case isp_status::kNoAck:
        SetFirstError(ctx, isp_status::kNoAck, prefix + "NACK");
        break;
      case isp_status::kDefer:
        SetFirstError(ctx, isp_status::kNoAck, prefix + "Defer");
        break;
      case isp_status::kChecksumError:
        SetFirstError(ctx, isp_status::kNoAck, prefix + "Checksum error");
        break;
      default:
        break;
    }
  }
  ctx.currentDdcAddr = savedAddr;
  return ok;
}

bool SendHostCommand(IspContext& ctx, uint8_t opcode) {
  ctx.currentDdcAddr = kHostForwardingDdcAddr;
  return SendIspDdcCmd(ctx, opcode);
}

}  // namespace

bool EnableAuxForwarding(IspContext& ctx, int32_t port) {
  return SendForwardingCommand(ctx, isp_opcode::kEnableForwarding, port, "Enabling");
}

bool CancelAuxForwarding(IspContext& ctx, int32_t port) {
  return SendForwardingCommand(ctx, isp_opcode::kCancelForwarding, port, "Cancelling");
}

PortOpen OpenPort(IspContext& ctx, size_t index, OnOpenFrameFailure onFrameFailure) {
  if (!SendHostCommand(ctx, isp_opcode::kIspOpen) &&
      onFrameFailure == OnOpenFrameFailure::kGiveUp) {
    return PortOpen::kOpenFrameFailed;
  }
  if (!EnableAuxForwarding(ctx, static_cast<int32_t>(index))) return PortOpen::kEnableFailed;
  ctx.currentDdcAddr = ctx.targets.at(index).ddc2biAddr;
  return PortOpen::kOpened;
}

void ClosePort(IspContext& ctx, size_t index) {
  CancelAuxForwarding(ctx, static_cast<int32_t>(index));
  SendHostCommand(ctx, isp_opcode::kIspClose);
}

}  // namespace vexa
