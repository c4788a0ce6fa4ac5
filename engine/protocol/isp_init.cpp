#include "engine/protocol/isp_init.h"

#include <array>
#include <utility>

#include "engine/engine_log.h"
#include "engine/isp_status.h"
#include "engine/protocol/command_channel.h"
#include "engine/protocol/dpcd_access.h"
#include "engine/protocol/dpcd_mailbox.h"
#include "engine/protocol/flash_erase.h"
#include "engine/protocol/isp_frames.h"
#include "engine/protocol/register_ram.h"
#include "util/text_format.h"

namespace vexa {

namespace {

constexpr uint16_t kOpenToResetMs = 1;
constexpr uint16_t kIspModeSettleMs = 600;
constexpr uint16_t kType5RegisterSettleMs = 100;

constexpr int kFlashIdPollLimit = 3000;
constexpr int kFlashIdAnsweredPollLimit = 500;
constexpr uint16_t kFlashIdPollMs = 2;
constexpr uint16_t kFlashIdPendingMs = 10;
constexpr int32_t kFlashIdAnswerLength = 5;
constexpr uint8_t kFlashIdOpcode = 0x1C;

// Register writes that prepare a type-5 chip for ISP, in order.
constexpr std::array<std::pair<uint16_t, uint16_t>, 12> kType5IspRegisters = {{
    {0x04D0, 0x76},
    {0x04D1, 0x2F},
    {0x04D2, 0x00},
    {0x04D3, 0xF8},
    {0x80C2, 0x5C},
    {0x80C3, 0xAB},
    {0x80C4, 0x0F},
    {0x80C6, 0xD0},
    {0x80C7, 0x04},
    {0x80C8, 0x00},
    {0x80C0, 0x0A},
    {0x80AD, 0x00},
}};

bool EnterIspMode(IspContext& ctx) {
  if (!SendIspDdcCmd(ctx, isp_opcode::kIspOpen)) return false;
  if (ctx.ispInitSelector == ChipType::kQuivel) {
    // Results are not used: the chip is prepared as far as it takes the writes.
    for (const auto& [reg, value] : kType5IspRegisters) ExecuteRegisterWordWrite(ctx, reg, value);
    DelayMs(ctx.clock, kType5RegisterSettleMs);
  }
  DelayMs(ctx.clock, kOpenToResetMs);
  constexpr std::array<uint8_t, 1> kHaltCpu = {0x00};
  return SendIspDdcCmd(ctx, isp_opcode::kResetControl, kHaltCpu);
}

bool BootDriver(IspContext& ctx) {
  const std::array<uint8_t, 2> entry = {static_cast<uint8_t>(ctx.driverEntryAddr >> 8),
                                        static_cast<uint8_t>(ctx.driverEntryAddr)};
  return SendIspDdcCmd(ctx, isp_opcode::kDriverBoot, entry);
}

}  // namespace

bool InitIsp(IspContext& ctx) {
  if (!EnterIspMode(ctx)) {
    AddIspLog(ctx, "ISP initialization... failed!\r\n");
    return false;
  }
  AddIspLog(ctx, "ISP initialization... done!\r\n");
  DelayMs(ctx.clock, kIspModeSettleMs);
  if (ctx.ispInitSelector == ChipType::kArivane) ExecuteRegisterWrite(ctx);

  AddIspLog(ctx, "Loading ISP driver... started\r\n");
  if (!ExecuteRamWriteBlock(ctx)) {
    AddIspLog(ctx, "Loading ISP driver... failed!\r\n");
    return false;
  }
  AddIspLog(ctx, "Loading ISP driver... done!\r\n");

  AddIspLog(ctx, "Booting up ISP driver... started\r\n");
  if (!BootDriver(ctx)) {
    AddIspLog(ctx, "Booting up ISP driver... failed\r\n");
    return false;
  }
  AddIspLog(ctx, "Booting up ISP driver... done!\r\n");
  DelayMs(ctx.clock, ctx.driverBootDelayMs);

  if (!GetDpcdBufferInfo(ctx)) {
    AddIspLog(ctx, "Getting DPCD buffer addr... failed!\r\n");
    return false;
  }

  AddIspLog(ctx, "Get Flash ID... started\r\n");
  if (GetFlashID(ctx)) {
    AddIspLog(ctx, StrPrintf("Flash ID: 0x%04X\r\n",
                             unsigned{ctx.transferBuffer[0]} * 256 + ctx.transferBuffer[1]));
    return true;
  }
  AddIspLog(ctx, "Get Flash ID... failed!\r\n");
  if (SendReset1Cmd(ctx)) AddIspLog(ctx, "Chip reset... done!\r\n");
  return false;
}

bool GetFlashID(IspContext& ctx) {
  const int32_t sent = WriteMailboxCommand(ctx, kGetFlashIdCommand);
  if (sent != isp_status::kOk) {
    SetFirstError(ctx, sent, "GetFlashID: Sending cmd failed!");
    return false;
  }

  int32_t status = isp_status::kOk;
  bool answered = false;
  int limit = kFlashIdPollLimit;
  for (int count = 0; count < limit && !answered; ++count) {
    DelayMs(ctx.clock, kFlashIdPollMs);
    status = ReadDpcd(ctx, ctx.ackBufferAddr, kFlashIdAnswerLength);
    const auto& answer = ctx.replyBuffer;
    if (status != isp_status::kOk) {
      limit = kFlashIdPollLimit;
    } else if (answer[0] != 0 && answer[2] != 0 && answer[3] != 0) {
      answered = true;
    } else {
      DelayMs(ctx.clock, kFlashIdPendingMs);
      limit = kFlashIdAnsweredPollLimit;
    }
  }
  if (status != isp_status::kOk) {
    SetFirstError(ctx, status, "GetFlashID: Reading data failed!");
    return false;
  }

  bool result = true;
  if (ctx.replyBuffer[1] != kFlashIdOpcode) {
    SetFirstError(ctx, isp_status::kUnexpectedReply, "GetFlashID: Reply not correct!");
    result = false;
  } else if (!answered) {
    SetFirstError(ctx, isp_status::kUnexpectedReply, "GetFlashID: Reading timeout!");
    result = false;
  }
  ctx.transferBuffer[0] = ctx.replyBuffer[2];
  ctx.transferBuffer[1] = ctx.replyBuffer[3];
  ClearMailboxAck(ctx);
  return result;
}

}  // namespace vexa
