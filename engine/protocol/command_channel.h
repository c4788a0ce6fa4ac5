#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "engine/isp_context.h"

namespace vexa {

// A frame's length byte holds 0x80 | n in seven bits, n counting the bytes from offset 2 up
// to the checksum; a longer frame cannot be described to the chip.
inline constexpr size_t kMaxFrameLengthField = 0x7F;
// The inner part of a data reply (L, opcode, data) as ReadIspReply hands it out.
using ReplyData = std::array<uint8_t, kMaxDdcReplySize>;

// XOR checksum of bytes, seeded with seed: requests are seeded with the chip's DDC address,
// replies with 0x50.
uint8_t FrameChecksum(uint8_t seed, std::span<const uint8_t> bytes);

// Wait between a command and the read of its acknowledge or reply.
inline constexpr uint16_t kCommandToAckMs = 10;

// Largest request frame: source, length byte and the bytes the length field counts, plus the
// checksum.
inline constexpr size_t kMaxIspFrameSize = kMaxFrameLengthField + 3;

// The one builder of DDC2bi request frames: opcode with its parameters (params' parts one
// after the other) to the chip at ddcAddr, written to out as source 0x51, 0x80 | n, C2 00 00,
// L (itself, opcode, parameters and checksum), opcode, parameters, checksum. Returns the frame
// length, or 0 (nothing written) when the parameters overflow the length field or out.
size_t BuildIspFrame(uint8_t ddcAddr, uint8_t opcode,
                     std::initializer_list<std::span<const uint8_t>> params,
                     std::span<uint8_t> out);

// Frames body (body[0] = number of bytes that follow: opcode and parameters) as one request
// and writes it once to currentDdcAddr. Reads no reply. Returns 0, 3 (frame too long or body
// shorter than it says: nothing sent), 2 (no transport) or the transport's result.
int32_t SendIspCommand(IspContext& ctx, std::span<const uint8_t> body);

// Writes a complete request frame once to currentDdcAddr. Returns 2 (no transport) or the
// transport's result.
int32_t WriteDdcFrame(IspContext& ctx, std::span<const uint8_t> frame);

// Records a failed acknowledge read as the first error: prefix followed by "No ACK!",
// "Reading ACK checksum error!" or "Reading ACK failed!", by status.
void RecordAckFailure(IspContext& ctx, std::string_view prefix, int32_t status);

// Waits 10 ms after a command, then reads and checks its acknowledge (ReadIspAck with its
// lead-in). A failure is recorded with prefix (RecordAckFailure). True when acknowledged.
bool AwaitCommandAck(IspContext& ctx, std::string_view prefix);

// Sends opcode with its parameters to currentDdcAddr and checks the chip's acknowledge. True
// only when the chip acknowledged; failures are recorded as the first error. Parameters that
// cannot be framed send nothing, return false and record nothing.
bool SendIspDdcCmd(IspContext& ctx, uint8_t opcode, std::span<const uint8_t> params = {});

// Reads the acknowledge of the last command into replyBuffer and checks it.
// Returns 0, 2, 8 (checksum), 11 (not the acknowledge), 12 (defer) or a transport result.
int32_t ReadIspAck(IspContext& ctx, bool waitFirst);

// Reads a data reply and copies its inner part (L, opcode, data) to out. A frame that carries
// no ISP data (bytes 2..4 not C2 00 00) returns 0 and leaves out untouched.
// Returns 0, 2, 7 (null messages only, a malformed reply, or an inner part longer than out),
// 8 (checksum), 12 or a transport result.
int32_t ReadIspReply(IspContext& ctx, ReplyData& out);

}  // namespace vexa
