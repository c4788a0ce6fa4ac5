#include "engine/protocol/register_ram.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "chip/driver_file.h"
#include "engine/isp_status.h"
#include "engine/protocol/command_channel.h"
#include "engine/protocol/isp_frames.h"
#include "util/text_format.h"

namespace vexa {

namespace {

constexpr uint16_t kCommandToReplyMs = 10;
constexpr uint16_t kChunkLeadInMs = 1;
constexpr uint16_t kChunkToAckMs = 5;
constexpr int kChunkAckReads = 4;
constexpr uint32_t kRamReadChunk = 96;
constexpr uint64_t kRamPageSize = 0x10000;

std::string OperationText(std::string_view operation, std::string_view what) {
  std::string text(operation);
  text += ": ";
  text += what;
  return text;
}

// Sends a command body and reads its data reply into reply; records the operation's texts.
bool RunDataCommand(IspContext& ctx, std::string_view operation, std::span<const uint8_t> body,
                    ReplyData& reply) {
  const int32_t sent = SendIspCommand(ctx, body);
  if (sent != isp_status::kOk) {
    SetFirstError(ctx, sent, OperationText(operation, "Sending cmd failed!"));
    return false;
  }
  DelayMs(ctx.clock, kCommandToReplyMs);
  reply.fill(0);
  const int32_t read = ReadIspReply(ctx, reply);
  if (read != isp_status::kOk) {
    SetFirstError(ctx, read, OperationText(operation, "Reading data failed!"));
    return false;
  }
  if (reply[1] != body[1]) {
    SetFirstError(ctx, isp_status::kUnexpectedReply,
                  OperationText(operation, "Reply not correct!"));
    return false;
  }
  return true;
}

// Sends a command body and checks the chip's acknowledge; records the operation's texts.
bool RunAckCommand(IspContext& ctx, std::string_view operation, std::span<const uint8_t> body) {
  const int32_t sent = SendIspCommand(ctx, body);
  if (sent != isp_status::kOk) {
    SetFirstError(ctx, sent, OperationText(operation, "Sending cmd failed!"));
    return false;
  }
  return AwaitCommandAck(ctx, OperationText(operation, ""));
}

void PutBigEndian32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value >> 24);
  out[1] = static_cast<uint8_t>(value >> 16);
  out[2] = static_cast<uint8_t>(value >> 8);
  out[3] = static_cast<uint8_t>(value);
}

// Writes one driver chunk and waits for its acknowledge (up to four reads, the chunk is not
// sent again between them).
bool WriteDriverChunk(IspContext& ctx, size_t offset, size_t k) {
  const std::string prefix =
      StrPrintf("ExecuteRamWriteBlock: AUX writing 0x%04X ... ", static_cast<unsigned>(offset));
  const size_t frameLength = BuildRamWriteFrame(ctx, offset, k);
  const int32_t sent = WriteDdcFrame(ctx, std::span(ctx.transferBuffer).first(frameLength));
  if (sent != isp_status::kOk) {
    SetFirstError(ctx, sent, prefix + "failed!");
    return false;
  }
  int32_t ack = isp_status::kOk;
  for (int read = 0; read < kChunkAckReads; ++read) {
    DelayMs(ctx.clock, kChunkToAckMs);
    ack = ReadIspAck(ctx, false);
    if (ack == isp_status::kOk) return true;
  }
  // The driver-download texts say "Reading ACK error!" where the others say "failed".
  if (ack != isp_status::kNoAck && ack != isp_status::kChecksumError) {
    SetFirstError(ctx, ack, prefix + "Reading ACK error!");
  } else {
    RecordAckFailure(ctx, prefix, ack);
  }
  return false;
}

}  // namespace

int32_t ExecuteRegisterRead(IspContext& ctx, uint16_t reg) {
  const std::array<uint8_t, 4> body = {3, isp_opcode::kRegisterRead, static_cast<uint8_t>(reg >> 8),
                                       static_cast<uint8_t>(reg)};
  ReplyData reply{};
  if (!RunDataCommand(ctx, "ExecuteRegisterRead", body, reply)) return -1;
  return reply[4] * 256 + reply[5];
}

bool ExecuteRegisterWordWrite(IspContext& ctx, uint16_t reg, uint16_t value) {
  const std::array<uint8_t, 6> body = {5,
                                       isp_opcode::kRegisterWordWrite,
                                       static_cast<uint8_t>(reg >> 8),
                                       static_cast<uint8_t>(reg),
                                       static_cast<uint8_t>(value >> 8),
                                       static_cast<uint8_t>(value)};
  return RunAckCommand(ctx, "ExecuteRegisterWordWrite", body);
}

bool ExecuteRegisterWrite(IspContext& ctx) {
  static constexpr std::array<uint8_t, 10> kBody = {
      9, isp_opcode::kRegisterWrite, 0x00, 0x00, 0x91, 0x00, 0x00, 0x00, 0x00, 0x11};
  return RunAckCommand(ctx, "ExecuteRegisterWrite", kBody);
}

bool FormatRamReadCmd(IspContext& ctx, uint32_t address, uint32_t count, std::span<uint8_t> out) {
  count = std::min(count, kMaxRamReadCount);
  std::array<uint8_t, 10> body = {9, isp_opcode::kRamRead};
  PutBigEndian32(&body[2], address);
  PutBigEndian32(&body[6], count);
  ReplyData reply{};
  if (!RunDataCommand(ctx, "FormatRamReadCmd", body, reply)) return false;

  // L counts itself, the opcode, the data and the checksum. The chip's L is not trusted to
  // stay within the reply or the caller's buffer.
  const size_t dataInReply = reply[0] < 3 ? 0 : size_t{reply[0]} - 3;
  const size_t copied = std::min({dataInReply, size_t{count}, out.size(), reply.size() - 2});
  std::copy_n(reply.begin() + 2, copied, out.begin());
  return true;
}

bool ReadRam(IspContext& ctx, uint32_t address, std::span<uint8_t> out) {
  // 64-bit arithmetic so that a read ending at the top of the address space cannot wrap.
  uint64_t current = address;
  const uint64_t end = current + out.size();
  size_t done = 0;
  uint64_t chunk = kRamReadChunk;
  while (current < end) {
    if (end - current <= kRamReadChunk) chunk = end - current;
    if (current / kRamPageSize != (current + chunk) / kRamPageSize) {
      chunk = kRamPageSize - current % kRamPageSize;
    }
    if (!FormatRamReadCmd(ctx, static_cast<uint32_t>(current), static_cast<uint32_t>(chunk),
                          out.subspan(done, chunk))) {
      return false;
    }
    current += chunk;
    done += chunk;
  }
  return true;
}

size_t BuildRamWriteFrame(IspContext& ctx, size_t offset, size_t k) {
  if (k > kRamWriteChunk || offset > ctx.driverPayload.size() ||
      k > ctx.driverPayload.size() - offset) {
    return 0;
  }
  const auto address = static_cast<uint16_t>(ctx.driverLoadAddr + offset);
  const std::array<uint8_t, 2> addressBytes = {static_cast<uint8_t>(address >> 8),
                                               static_cast<uint8_t>(address)};
  return BuildIspFrame(ctx.currentDdcAddr, isp_opcode::kRamWrite,
                       {addressBytes, ctx.driverPayload.subspan(offset, k)}, ctx.transferBuffer);
}

bool ExecuteRamWriteBlock(IspContext& ctx) {
  const std::span<const uint8_t> image = ctx.currentDriverImage;
  if (const std::optional<uint16_t> headed = DriverHeaderLength(image)) {
    ctx.currentDriverLength = *headed;
    ctx.driverPayload = image.subspan(kDriverHeaderSize);
  } else {
    ctx.driverPayload = image;
  }
  // The length comes from the file; never send bytes the image does not hold.
  if (ctx.currentDriverLength > ctx.driverPayload.size()) {
    SetFirstError(ctx, isp_status::kInvalidParameter,
                  StrPrintf("ExecuteRamWriteBlock: Driver image holds 0x%X of 0x%X bytes!",
                            static_cast<unsigned>(ctx.driverPayload.size()),
                            unsigned{ctx.currentDriverLength}));
    return false;
  }

  size_t offset = 0;
  size_t remaining = ctx.currentDriverLength;
  while (remaining > kRamWriteChunk) {
    DelayMs(ctx.clock, kChunkLeadInMs);
    if (!WriteDriverChunk(ctx, offset, kRamWriteChunk)) return false;
    offset += kRamWriteChunk;
    AdvanceProgress(ctx, kRamWriteChunk);
    remaining = ctx.currentDriverLength - offset;
  }
  if (!WriteDriverChunk(ctx, offset, remaining)) return false;
  AdvanceProgress(ctx, static_cast<uint32_t>(remaining));
  return true;
}

}  // namespace vexa
