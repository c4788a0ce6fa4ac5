#include "engine/protocol/dpcd_mailbox.h"

#include <algorithm>

#include "engine/engine_log.h"
#include "engine/isp_status.h"
#include "engine/protocol/dpcd_access.h"
#include "transport/transfer_chunking.h"
#include "util/text_format.h"

namespace vexa {

namespace {

// DPCD 0x40C..0x40E hold the 24-bit little-endian address of the 12-byte buffer-info block.
constexpr uint32_t kBufferInfoPointerAddr = 0x40C;
constexpr int32_t kBufferInfoPointerLength = 3;
constexpr int32_t kBufferInfoLength = 12;
constexpr uint16_t kPointerToInfoDelayMs = 2;

// The write pipeline puts an 8-byte address record and the half's status byte into the first
// half, so a smaller buffer cannot carry a single firmware block.
constexpr uint16_t kMinDpcdBufferSize = 18;
// DPCD addresses are 20 bits wide; every window the driver names must end below this.
constexpr uint64_t kDpcdAddressSpaceEnd = 0x100000;

constexpr int kAckPolls = 2000;
constexpr uint16_t kEmptyAckPollMs = 3;
constexpr uint16_t kAckSettleMs = 1;
constexpr int kAckClearWrites = 100;
constexpr int kAckClearReads = 100;

constexpr int kHalfFreeReads = 100;
constexpr uint16_t kPayloadToAckMs = 10;

// One part of a payload: its bytes, where they go, and the status byte of that half.
struct PayloadPart {
  std::span<const uint8_t> bytes;
  uint32_t start;
  uint32_t statusAddr;
};

// Payload bytes per write: the largest multiple of 16 within the transport's 131-byte limit,
// so that every write takes the fewest 16-byte AUX transactions (a 254-byte half goes as
// 128 + 126 bytes, 16 transactions, instead of 131 + 123, 17).
constexpr size_t kWriteChunkSize =
    size_t{kMaxDdcReplySize} / size_t{kAuxChunkSize} * size_t{kAuxChunkSize};

uint32_t LittleEndian(std::span<const uint8_t> bytes) {
  uint32_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

bool FailBufferInfo(IspContext& ctx, int32_t code, std::string text) {
  SetFirstError(ctx, code, std::move(text));
  return false;
}

// The block comes from the chip: besides the two zero tests, refuse a buffer the protocol
// buffers cannot serve and windows that run past the DPCD address space.
bool CheckBufferInfo(IspContext& ctx) {
  if (ctx.dpcdBufferSize == 0 || ctx.ackBufferSize == 0) {
    // Code 0 leaves the first-error slot open, so a later error of the operation replaces it.
    return FailBufferInfo(ctx, isp_status::kOk,
                          "Getting DPCD buffer info... failed! (Buffer size = 0)");
  }
  if (ctx.dpcdBufferSize < kMinDpcdBufferSize || ctx.dpcdBufferSize > kProtocolBufferSize) {
    return FailBufferInfo(ctx, isp_status::kUnexpectedReply,
                          StrPrintf("Getting DPCD buffer info... failed! (Buffer size = 0x%X)",
                                    unsigned{ctx.dpcdBufferSize}));
  }
  if (uint64_t{ctx.dpcdBufferAddr} + ctx.dpcdBufferSize > kDpcdAddressSpaceEnd) {
    return FailBufferInfo(ctx, isp_status::kUnexpectedReply,
                          StrPrintf("Getting DPCD buffer info... failed! (Buffer address = 0x%X)",
                                    ctx.dpcdBufferAddr));
  }
  if (uint64_t{ctx.ackBufferAddr} + kMailboxAck.size() > kDpcdAddressSpaceEnd) {
    return FailBufferInfo(
        ctx, isp_status::kUnexpectedReply,
        StrPrintf("Getting DPCD buffer info... failed! (ACK buffer address = 0x%X)",
                  ctx.ackBufferAddr));
  }
  return true;
}

// Waits until the half is free (status byte 0), then fills it from its start and writes the
// number of bytes put there into its status byte.
int32_t SendPayloadPart(IspContext& ctx, const PayloadPart& part, std::string& errorText) {
  bool free = false;
  for (int read = 0; read < kHalfFreeReads && !free; ++read) {
    const int32_t status = ReadDpcdByte(ctx, part.statusAddr);
    if (status != isp_status::kOk) {
      errorText = "Checking F/W buffer status failed!";
      return status;
    }
    free = ctx.replyBuffer[0] == 0;
  }
  if (!free) {
    errorText = "F/W buffer not ready!";
    return isp_status::kUnexpectedReply;
  }

  for (size_t offset = 0; offset < part.bytes.size(); offset += kWriteChunkSize) {
    const auto chunk =
        part.bytes.subspan(offset, std::min(kWriteChunkSize, part.bytes.size() - offset));
    const int32_t status = WriteDpcd(ctx, part.start + static_cast<uint32_t>(offset), chunk);
    if (status != isp_status::kOk) {
      errorText = "Sending data of payload failed!";
      return status;
    }
  }

  const uint8_t length = static_cast<uint8_t>(part.bytes.size() % 256);
  const int32_t status = WriteDpcd(ctx, part.statusAddr, std::span(&length, 1));
  if (status != isp_status::kOk) {
    errorText = "Sending length of payload failed!";
    return status;
  }
  return isp_status::kOk;
}

}  // namespace

bool GetDpcdBufferInfo(IspContext& ctx) {
  int32_t status = ReadDpcd(ctx, kBufferInfoPointerAddr, kBufferInfoPointerLength);
  if (status != isp_status::kOk) {
    return FailBufferInfo(ctx, status, "Getting DPCD buffer info from 0x40C... failed!");
  }
  const uint32_t auxWinAddr =
      LittleEndian(std::span(ctx.replyBuffer).first(kBufferInfoPointerLength));
  if (auxWinAddr == 0) {
    return FailBufferInfo(ctx, isp_status::kUnexpectedReply,
                          "Getting DPCD buffer info... failed! (AuxWinAddr = 0)");
  }
  // The pointer has 24 bits; a block beyond the DPCD address space cannot be read.
  if (auxWinAddr + kBufferInfoLength > kDpcdAddressSpaceEnd) {
    return FailBufferInfo(
        ctx, isp_status::kUnexpectedReply,
        StrPrintf("Getting DPCD buffer info... failed! (AuxWinAddr = 0x%X)", auxWinAddr));
  }

  DelayMs(ctx.clock, kPointerToInfoDelayMs);
  status = ReadDpcd(ctx, auxWinAddr, kBufferInfoLength);
  if (status != isp_status::kOk) {
    const std::string text = StrPrintf("Getting DPCD buffer info from 0x%X... failed!", auxWinAddr);
    SetFirstError(ctx, status, text);
    AddIspLog(ctx, text);
    return false;
  }

  ParseDpcdBufferInfo(ctx);
  return CheckBufferInfo(ctx);
}

void ParseDpcdBufferInfo(IspContext& ctx) {
  const auto block = std::span<const uint8_t>(ctx.replyBuffer).first(kBufferInfoLength);
  ctx.dpcdBufferAddr = LittleEndian(block.subspan(0, 4));
  ctx.dpcdBufferSize = static_cast<uint16_t>(LittleEndian(block.subspan(4, 2)));
  ctx.ackBufferAddr = LittleEndian(block.subspan(6, 4));
  ctx.ackBufferSize = static_cast<uint16_t>(LittleEndian(block.subspan(10, 2)));
  ctx.halfStatusAddr[0] = ctx.dpcdBufferAddr + ctx.dpcdBufferSize / 2 - 1;
  ctx.halfStatusAddr[1] = ctx.dpcdBufferAddr + ctx.dpcdBufferSize - 1;
}

int32_t WriteMailboxCommand(IspContext& ctx, std::span<const uint8_t> command) {
  if (command.size() < 2 || command[0] != command.size() || command.size() > ctx.dpcdBufferSize) {
    return isp_status::kInvalidParameter;
  }
  // The length byte goes last: the driver takes a command once its length byte is set.
  const int32_t status = WriteDpcd(ctx, ctx.dpcdBufferAddr + 1, command.subspan(1));
  if (status != isp_status::kOk) return status;
  return WriteDpcd(ctx, ctx.dpcdBufferAddr, command.first(1));
}

AckPollResult PollAckArea(IspContext& ctx, const AckPollTiming& timing,
                          const std::function<void()>& afterPoll) {
  AckPollResult result;
  for (int poll = 0; poll < timing.polls && result.posted != kAckPosted; ++poll) {
    result.status = ReadDpcdByte(ctx, ctx.ackBufferAddr);
    const bool failed = result.status != isp_status::kOk;
    result.posted = failed ? 0 : ctx.replyBuffer[0];
    if (failed) {
      if (timing.failedReadWaits) DelayMs(ctx.clock, timing.emptyWaitMs);
    } else if (result.posted == 0) {
      DelayMs(ctx.clock, timing.emptyWaitMs);
    } else if (result.posted == kAckPosted) {
      DelayMs(ctx.clock, timing.settleMs);
      result.status = ReadDpcd(ctx, ctx.ackBufferAddr, static_cast<int32_t>(kMailboxAck.size()));
      // A failed read of the answer ends the polling with its status: the answer was posted.
      if (result.status == isp_status::kOk) result.posted = ctx.replyBuffer[0];
    }
    if (afterPoll) afterPoll();
  }
  return result;
}

int32_t WaitMailboxAck(IspContext& ctx) {
  const AckPollResult ack = PollAckArea(ctx, {kAckPolls, kEmptyAckPollMs, false, kAckSettleMs});
  if (ack.status != isp_status::kOk) return ack.status;
  if (ack.posted != kAckPosted) return isp_status::kUnexpectedReply;
  return IsMailboxAck(ctx) ? isp_status::kOk : isp_status::kUnexpectedReply;
}

bool IsMailboxAck(const IspContext& ctx) {
  return std::equal(kMailboxAck.begin(), kMailboxAck.end(), ctx.replyBuffer.begin());
}

int32_t ClearMailboxAck(IspContext& ctx) {
  ctx.replyBuffer[0] = 0;
  int32_t status = isp_status::kOk;
  for (int attempt = 0; attempt < kAckClearWrites; ++attempt) {
    status = WriteDpcd(ctx, ctx.ackBufferAddr, std::span(ctx.replyBuffer).first(1));
    if (status == isp_status::kOk) break;
  }
  if (status != isp_status::kOk) return status;

  for (int read = 0; read < kAckClearReads; ++read) {
    status = ReadDpcdByte(ctx, ctx.ackBufferAddr);
    if (status == isp_status::kOk && ctx.replyBuffer[0] == 0) return isp_status::kOk;
  }
  return status != isp_status::kOk ? status : isp_status::kUnexpectedReply;
}

int32_t SendFwPayload(IspContext& ctx, int n, std::string& errorText) {
  // Each part must end before its half's status byte (an odd buffer size leaves the first
  // half one byte short of size - 2), and the bytes must come from inside transferBuffer.
  const int halfSize = ctx.dpcdBufferSize / 2;
  const int maxPayload = std::min(2 * (halfSize - 1), static_cast<int>(ctx.transferBuffer.size()));
  if (n <= 0 || n > maxPayload) {
    errorText = "Invalid parameter!";
    return isp_status::kInvalidParameter;
  }

  const auto payload = std::span<const uint8_t>(ctx.transferBuffer).first(static_cast<size_t>(n));
  const size_t firstPartLength = payload.size() / 2;
  const std::array<PayloadPart, 2> parts = {
      PayloadPart{payload.first(firstPartLength), ctx.dpcdBufferAddr + halfSize,
                  ctx.halfStatusAddr[1]},
      PayloadPart{payload.subspan(firstPartLength), ctx.dpcdBufferAddr, ctx.halfStatusAddr[0]},
  };
  for (const PayloadPart& part : parts) {
    const int32_t status = SendPayloadPart(ctx, part, errorText);
    if (status != isp_status::kOk) return status;
  }

  DelayMs(ctx.clock, kPayloadToAckMs);
  if (const int32_t status = WaitMailboxAck(ctx); status != isp_status::kOk) {
    errorText = "Reading ACK failed!";
    return status;
  }
  if (const int32_t status = ClearMailboxAck(ctx); status != isp_status::kOk) {
    errorText = "Clear ACK failed!";
    return status;
  }
  return isp_status::kOk;
}

}  // namespace vexa
