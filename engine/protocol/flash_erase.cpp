#include "engine/protocol/flash_erase.h"

#include <array>

#include "engine/engine_log.h"
#include "engine/isp_status.h"
#include "engine/protocol/dpcd_mailbox.h"
#include "util/text_format.h"

namespace vexa {

namespace {

constexpr int kErasePolls = 200;
constexpr uint16_t kEraseEmptyPollMs = 50;
constexpr uint16_t kEraseAckSettleMs = 1;
constexpr uint32_t kEraseStartProgress = 200;
constexpr uint32_t kErasePollProgress = 50;

constexpr uint16_t kResetSettleMs = 250;
constexpr int kResetPolls = 10;
constexpr uint16_t kResetEmptyPollMs = 10;

}  // namespace

bool EraseFlash(IspContext& ctx, uint16_t code) {
  const uint32_t start = ctx.progressDone.load();
  const std::array<uint8_t, 5> command = MakeEraseCommand(code);
  const int32_t sent = WriteMailboxCommand(ctx, command);
  if (sent != isp_status::kOk) {
    SetFirstError(ctx, sent, "EraseFlash: Sending cmd failed!");
    return false;
  }
  DelayMs(ctx.clock, ctx.flashEraseTimeMs);

  AdvanceProgress(ctx, kEraseStartProgress);
  uint32_t within = kEraseStartProgress;
  const AckPollResult ack =
      PollAckArea(ctx, {kErasePolls, kEraseEmptyPollMs, true, kEraseAckSettleMs}, [&] {
        if (within + kErasePollProgress < ctx.eraseProgressBudget) {
          AdvanceProgress(ctx, kErasePollProgress);
          within += kErasePollProgress;
        }
      });
  AdvanceProgressTo(ctx, start + ctx.eraseProgressBudget);

  if (ack.status != isp_status::kOk) {
    SetFirstError(ctx, ack.status, "EraseFlash: Reading ACK failed!");
    return false;
  }
  if (ack.posted == kAckPosted) {
    if (IsMailboxAck(ctx)) {
      ClearMailboxAck(ctx);
      return true;
    }
    SetFirstError(ctx, isp_status::kUnexpectedReply, "EraseFlash: ACK not correct!");
    return false;
  }
  SetFirstError(ctx, isp_status::kEraseTimeout,
                "EraseFlash: Timeout! (SPI flash might need more time to complete.)");
  return false;
}

bool RunFlashErase(IspContext& ctx, uint16_t code) {
  AddIspLog(ctx, StrPrintf("Erasing flash (%X)... started\r\n", unsigned{code}));
  const bool erased = EraseFlash(ctx, code);
  AddIspLog(ctx, erased ? "Erasing flash... done!\r\n" : "Erasing flash... failed!\r\n");
  return erased;
}

bool SendReset1Cmd(IspContext& ctx) {
  const int32_t sent = WriteMailboxCommand(ctx, kResetCommand);
  if (sent != isp_status::kOk) {
    SetFirstError(ctx, sent, "SendReset1Cmd: Sending cmd failed!");
    return false;
  }
  DelayMs(ctx.clock, kResetSettleMs);

  const AckPollResult ack = PollAckArea(ctx, {kResetPolls, kResetEmptyPollMs, false, 0});
  if (ack.status != isp_status::kOk) {
    SetFirstError(ctx, ack.status, "SendReset1Cmd: Reading ACK failed!");
    return false;
  }
  // Code 0 leaves the first-error slot open: a reset that is not confirmed is worth reporting
  // only when nothing more specific went wrong.
  if (ack.posted == kAckPosted) {
    if (IsMailboxAck(ctx)) {
      ClearMailboxAck(ctx);
      return true;
    }
    SetFirstError(ctx, isp_status::kOk, "SendReset1Cmd: ACK not correct!");
    return false;
  }
  SetFirstError(ctx, isp_status::kOk, "SendReset1Cmd: Replay not correct!");
  return false;
}

}  // namespace vexa
