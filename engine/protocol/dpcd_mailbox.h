#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "engine/isp_context.h"
#include "engine/isp_status.h"

namespace vexa {

// Mailbox commands of the running ISP driver: byte 0 is the command's total length, the last
// byte its check byte.
inline constexpr std::array<uint8_t, 9> kGetFlashIdCommand = {0x09, 0x1C, 0xFF, 0x00, 0x00,
                                                              0x20, 0x00, 0x00, 0x44};
inline constexpr std::array<uint8_t, 4> kResetCommand = {0x04, 0x20, 0x01, 0x25};
inline constexpr std::array<uint8_t, 3> kBlockStartCommand = {0x03, 0x10, 0x13};

// The driver's acknowledge at ackBufferAddr; its first byte alone says an answer is posted.
inline constexpr std::array<uint8_t, 3> kMailboxAck = {0x03, 0x0C, 0xF1};
inline constexpr uint8_t kAckPosted = kMailboxAck[0];

// True when replyBuffer starts with the driver's acknowledge.
bool IsMailboxAck(const IspContext& ctx);

// The erase command for a 16-bit erase code (high byte first), checked by the XOR of its
// first four bytes.
constexpr std::array<uint8_t, 5> MakeEraseCommand(uint16_t eraseCode) {
  const auto high = static_cast<uint8_t>(eraseCode >> 8);
  const auto low = static_cast<uint8_t>(eraseCode & 0xFF);
  return {0x05, 0x19, high, low, static_cast<uint8_t>(0x05 ^ 0x19 ^ high ^ low)};
}

// Reads the buffer-info pointer at DPCD 0x40C and the block it points to, sets the mailbox
// fields and checks them. False on failure, recorded as the first error.
bool GetDpcdBufferInfo(IspContext& ctx);

// Decodes the 12-byte buffer-info block in replyBuffer into the mailbox fields, including the
// status-byte addresses of the two buffer halves.
void ParseDpcdBufferInfo(IspContext& ctx);

// Places one command (command[0] = its total length) at dpcdBufferAddr: the bytes after the
// length first, then the length byte, so the driver sees a complete command. Returns 0,
// 2 (no transport), 3 (malformed command or larger than the buffer: nothing sent) or the
// transport's result.
int32_t WriteMailboxCommand(IspContext& ctx, std::span<const uint8_t> command);

// How an acknowledge poll waits: after a poll that finds nothing posted, after a failed read
// (when failedReadWaits; else the next poll follows at once), and between seeing the posted
// byte and reading the whole answer.
struct AckPollTiming {
  int polls;
  uint16_t emptyWaitMs;
  bool failedReadWaits;
  uint16_t settleMs;
};

// The last poll's status, and the first byte it found in the acknowledge area (0 when the
// read failed). posted == kAckPosted with status 0 means the whole answer is in replyBuffer.
struct AckPollResult {
  int32_t status = isp_status::kOk;
  uint8_t posted = 0;
};

// Polls the first byte of the acknowledge area, up to timing.polls times, until the driver
// posts its answer (3); then reads the whole answer into replyBuffer. A failed read of the
// byte counts as nothing posted; a failed read of the answer ends the polling with its status
// (posted stays 3). afterPoll, when set, runs after every poll.
AckPollResult PollAckArea(IspContext& ctx, const AckPollTiming& timing,
                          const std::function<void()>& afterPoll = nullptr);

// Polls the acknowledge area until the driver posts an answer. Returns 0 for the acknowledge
// 03 0C F1, 7 for another answer or none within 2000 polls, or the last poll's failed status.
int32_t WaitMailboxAck(IspContext& ctx);

// Writes 0 to the acknowledge area and reads it back until it is 0. Returns 0, the last
// failed status, or 7 when the area stays nonzero.
int32_t ClearMailboxAck(IspContext& ctx);

// Moves the first n bytes of transferBuffer through the two buffer halves (first half of the
// bytes into the second half, the rest into the first), then awaits and clears the
// acknowledge. On failure returns the status and sets errorText.
int32_t SendFwPayload(IspContext& ctx, int n, std::string& errorText);

}  // namespace vexa
