#include "engine/protocol/command_channel.h"

#include <algorithm>
#include <string>

#include "engine/isp_status.h"
#include "engine/protocol/isp_frames.h"

namespace vexa {

namespace {

constexpr int kAckReadAttempts = 20;
constexpr int kReplyReadAttempts = 50;
constexpr uint16_t kReplyLeadInMs = 40;
constexpr uint16_t kDeferRetryMs = 10;
constexpr uint16_t kShortAckRetryMs = 30;
constexpr uint16_t kNullMessageRetryMs = 10;
// Bytes 2..6 of the acknowledge frame: C2 00 00, inner length 3, opcode 0x0C.
constexpr std::array<uint8_t, 5> kAckSignature = {0xC2, 0x00, 0x00, 0x03, isp_opcode::kAcknowledge};
// Bytes 2..4 of every frame that carries ISP data.
constexpr std::array<uint8_t, 3> kDataHeader = {0xC2, 0x00, 0x00};
// Length of a DDC/CI null message (address, 0x80, checksum): the chip has nothing to say yet.
constexpr int32_t kNullMessageLength = 3;
// Shortest reply worth checking as an acknowledge.
constexpr int32_t kMinAckLength = 6;
// Shortest frame whose inner part can be taken: five header bytes and the checksum.
constexpr int32_t kMinDataFrameLength = 6;

// Replies land in the context's reply buffer; its first kMaxDdcReplySize bytes are cleared
// before each read so that a short reply never shows stale bytes.
size_t ClearReplyArea(IspContext& ctx) {
  std::fill_n(ctx.replyBuffer.begin(), kMaxDdcReplySize, uint8_t{0});
  return kMaxDdcReplySize;
}

int32_t ReadReplyOnce(IspContext& ctx, int32_t& length) {
  if (ctx.activeGfxLib == nullptr) return isp_status::kNoTransport;
  return ctx.activeGfxLib->DdcAuxRead(ctx.currentDdcAddr, ctx.replyBuffer.data(), &length);
}

void MarkNoData(ReplyData& out) {
  out[0] = 0x01;
  out[1] = 0xBE;
}

}  // namespace

uint8_t FrameChecksum(uint8_t seed, std::span<const uint8_t> bytes) {
  uint8_t checksum = seed;
  for (uint8_t byte : bytes) checksum ^= byte;
  return checksum;
}

size_t BuildIspFrame(uint8_t ddcAddr, uint8_t opcode,
                     std::initializer_list<std::span<const uint8_t>> params,
                     std::span<uint8_t> out) {
  size_t paramCount = 0;
  for (const std::span<const uint8_t> part : params) paramCount += part.size();
  const size_t innerLength = paramCount + 3;   // L: itself, opcode, parameters, checksum
  const size_t frameLength = innerLength + 5;  // source, length byte, C2 00 00
  if (innerLength + 2 > kMaxFrameLengthField || frameLength > out.size()) return 0;

  size_t pos = 0;
  out[pos++] = kHostSourceAddr;
  out[pos++] = static_cast<uint8_t>(0x80 | (innerLength + 2));
  for (const uint8_t byte : kDataHeader) out[pos++] = byte;
  out[pos++] = static_cast<uint8_t>(innerLength);
  out[pos++] = opcode;
  for (const std::span<const uint8_t> part : params) {
    std::copy(part.begin(), part.end(), out.begin() + static_cast<std::ptrdiff_t>(pos));
    pos += part.size();
  }
  out[pos] = FrameChecksum(ddcAddr, out.first(pos));
  return pos + 1;
}

int32_t SendIspCommand(IspContext& ctx, std::span<const uint8_t> body) {
  if (body.size() < 2 || body.size() < size_t{body[0]} + 1u || body[0] == 0) {
    return isp_status::kInvalidParameter;
  }
  std::array<uint8_t, kMaxIspFrameSize> frame{};
  const size_t length =
      BuildIspFrame(ctx.currentDdcAddr, body[1], {body.subspan(2, body[0] - 1u)}, frame);
  if (length == 0) return isp_status::kInvalidParameter;
  return WriteDdcFrame(ctx, std::span(frame).first(length));
}

int32_t WriteDdcFrame(IspContext& ctx, std::span<const uint8_t> frame) {
  if (ctx.activeGfxLib == nullptr) return isp_status::kNoTransport;
  return ctx.activeGfxLib->DdcAuxWrite(ctx.currentDdcAddr, frame.data(),
                                       static_cast<int32_t>(frame.size()));
}

void RecordAckFailure(IspContext& ctx, std::string_view prefix, int32_t status) {
  const char* what = status == isp_status::kNoAck           ? "No ACK!"
                     : status == isp_status::kChecksumError ? "Reading ACK checksum error!"
                                                            : "Reading ACK failed!";
  SetFirstError(ctx, status, std::string(prefix) + what);
}

bool AwaitCommandAck(IspContext& ctx, std::string_view prefix) {
  DelayMs(ctx.clock, kCommandToAckMs);
  const int32_t ack = ReadIspAck(ctx, true);
  if (ack == isp_status::kOk) return true;
  RecordAckFailure(ctx, prefix, ack);
  return false;
}

bool SendIspDdcCmd(IspContext& ctx, uint8_t opcode, std::span<const uint8_t> params) {
  std::array<uint8_t, kMaxIspFrameSize> frame{};
  const size_t length = BuildIspFrame(ctx.currentDdcAddr, opcode, {params}, frame);
  if (length == 0) return false;

  const int32_t sent = WriteDdcFrame(ctx, std::span(frame).first(length));
  if (sent != isp_status::kOk) {
    SetFirstError(ctx, sent, "SendIspDdcCmd: Sending AUX failed!");
    return false;
  }
  return AwaitCommandAck(ctx, "SendIspDdcCmd: ");
}

int32_t ReadIspAck(IspContext& ctx, bool waitFirst) {
  const size_t replyArea = ClearReplyArea(ctx);
  if (waitFirst) DelayMs(ctx.clock, kReplyLeadInMs);

  int32_t result = isp_status::kOk;
  int32_t length = 0;
  for (int attempt = 0; attempt < kAckReadAttempts; ++attempt) {
    result = ReadReplyOnce(ctx, length);
    if (result == isp_status::kDefer) {
      DelayMs(ctx.clock, kDeferRetryMs);
    } else if (result == isp_status::kOk) {
      if (length >= kMinAckLength) break;
      DelayMs(ctx.clock, kShortAckRetryMs);
    }
  }
  if (result != isp_status::kOk) {
    return result == gfx_status::kReplyRejected ? isp_status::kNoAck : result;
  }

  // A length the reply area cannot hold is not an acknowledge; never index outside it.
  if (length < 2 || static_cast<size_t>(length) > replyArea) return isp_status::kNoAck;
  const auto reply = std::span<const uint8_t>(ctx.replyBuffer.data(), static_cast<size_t>(length));
  if (FrameChecksum(kReplyChecksumSeed, reply.first(reply.size() - 1)) != reply.back()) {
    return isp_status::kChecksumError;
  }
  if (reply.size() < 2 + kAckSignature.size() ||
      !std::equal(kAckSignature.begin(), kAckSignature.end(), reply.begin() + 2)) {
    return isp_status::kNoAck;
  }
  return isp_status::kOk;
}

int32_t ReadIspReply(IspContext& ctx, ReplyData& out) {
  const size_t replyArea = ClearReplyArea(ctx);
  DelayMs(ctx.clock, kReplyLeadInMs);

  int32_t result = isp_status::kOk;
  int32_t length = 0;
  bool gotReply = false;
  for (int attempt = 0; attempt < kReplyReadAttempts && !gotReply; ++attempt) {
    result = ReadReplyOnce(ctx, length);
    if (result == isp_status::kDefer) {
      DelayMs(ctx.clock, kDeferRetryMs);
    } else if (result == isp_status::kOk && length == kNullMessageLength) {
      result = isp_status::kUnexpectedReply;
      MarkNoData(out);
      DelayMs(ctx.clock, kNullMessageRetryMs);
    } else if (result == isp_status::kOk) {
      gotReply = true;
    }
  }
  if (!gotReply) {
    MarkNoData(out);
    return result;
  }

  const auto header = std::span<const uint8_t>(ctx.replyBuffer.data() + 2, kDataHeader.size());
  if (length < 5 || !std::equal(kDataHeader.begin(), kDataHeader.end(), header.begin())) {
    return isp_status::kOk;  // not an ISP data frame; the caller's opcode test rejects it
  }
  // A data frame shorter than its header and checksum, or longer than the reply area, is
  // malformed; never copy outside the reply.
  if (length < kMinDataFrameLength || static_cast<size_t>(length) > replyArea) {
    return isp_status::kUnexpectedReply;
  }
  // A transport may allow replies longer than out holds; such a reply is refused, not cut.
  const auto innerLength = static_cast<size_t>(length - kMinDataFrameLength);
  if (innerLength > out.size()) return isp_status::kUnexpectedReply;

  const auto inner = std::span<const uint8_t>(ctx.replyBuffer.data() + 5, innerLength);
  std::copy(inner.begin(), inner.end(), out.begin());
  const uint8_t lengthByte = static_cast<uint8_t>(0x80 | (length - 3));
  const uint8_t expected =
      FrameChecksum(kReplyChecksumSeed ^ ctx.currentDdcAddr ^ lengthByte ^ 0xC2, inner);
  if (expected != ctx.replyBuffer[static_cast<size_t>(length) - 1]) {
    out[0] = 0x00;
    out[1] = 0xFF;
    return isp_status::kChecksumError;
  }
  return isp_status::kOk;
}

}  // namespace vexa
