#include "sim/ddc2bi_link.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vexa::sim {

namespace {

constexpr uint8_t kHostSource = 0x51;
constexpr uint8_t kLengthFlag = 0x80;
constexpr std::array<uint8_t, 3> kFrameHeader = {0xC2, 0x00, 0x00};
constexpr uint8_t kReplySeed = 0x50;
constexpr uint8_t kAcknowledgeOpcode = 0x0C;
// Source, length byte, C2 00 00, inner length, opcode and checksum.
constexpr size_t kRequestOverhead = 8;
constexpr size_t kOpcodeOffset = 6;

uint8_t XorOf(uint8_t seed, std::span<const uint8_t> bytes) {
  for (const uint8_t byte : bytes) seed ^= byte;
  return seed;
}

// Address, length byte, C2 00 00, inner length, opcode, data and checksum, written into a
// frame sized once: growing a two-byte vector by inserts trips GCC's -Warray-bounds under
// ThreadSanitizer's instrumentation.
std::vector<uint8_t> ReplyFrame(uint8_t address, uint8_t opcode, std::span<const uint8_t> data) {
  const size_t n = kFrameHeader.size() + 2 + data.size();
  std::vector<uint8_t> frame(n + 3);
  frame[0] = address;
  frame[1] = static_cast<uint8_t>(kLengthFlag | n);
  std::copy(kFrameHeader.begin(), kFrameHeader.end(), frame.begin() + 2);
  frame[5] = static_cast<uint8_t>(n - 2);
  frame[kOpcodeOffset] = opcode;
  std::copy(data.begin(), data.end(), frame.begin() + kOpcodeOffset + 1);
  frame.back() = XorOf(kReplySeed, std::span(frame).first(frame.size() - 1));
  return frame;
}

std::vector<uint8_t> NullMessage(uint8_t address) {
  return {address, kLengthFlag, static_cast<uint8_t>(kReplySeed ^ address ^ kLengthFlag)};
}

}  // namespace

std::optional<Ddc2biRequest> ParseRequestFrame(uint8_t address, std::span<const uint8_t> frame) {
  if (frame.size() < kRequestOverhead) return std::nullopt;
  const size_t n = frame[1] & ~kLengthFlag;
  const bool wellFormed =
      frame[0] == kHostSource && (frame[1] & kLengthFlag) != 0 && frame.size() == n + 3 &&
      std::equal(kFrameHeader.begin(), kFrameHeader.end(), frame.begin() + 2) && frame[5] == n - 2;
  if (!wellFormed || XorOf(address, frame.first(frame.size() - 1)) != frame.back()) {
    return std::nullopt;
  }
  const auto params = frame.subspan(kOpcodeOffset + 1, frame.size() - kRequestOverhead);
  return Ddc2biRequest{address, frame[kOpcodeOffset], {params.begin(), params.end()}};
}

std::optional<std::vector<uint8_t>> Ddc2biLink::Write(std::span<const uint8_t> bytes,
                                                      I2cPhase phase) {
  if (phase.starts) incoming_.clear();
  incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
  if (!phase.ends) return std::nullopt;
  return std::exchange(incoming_, {});
}

void Ddc2biLink::Read(uint8_t address, std::span<uint8_t> out, I2cPhase phase) {
  if (phase.starts) {
    outgoing_ = pending_ && pending_->address == address
                    ? ReplyFrame(address, pending_->opcode, pending_->data)
                    : NullMessage(address);
    outgoingPos_ = 0;
    pending_.reset();
  }
  for (uint8_t& byte : out) {
    byte = outgoingPos_ < outgoing_.size() ? outgoing_[outgoingPos_] : 0xFF;
    ++outgoingPos_;
  }
}

void Ddc2biLink::SetAcknowledge(uint8_t address) {
  pending_ = PendingReply{address, kAcknowledgeOpcode, {}};
}

void Ddc2biLink::SetDataReply(uint8_t address, uint8_t opcode, std::span<const uint8_t> data) {
  const auto carried = data.first(std::min(data.size(), kMaxReplyData));
  pending_ = PendingReply{address, opcode, {carried.begin(), carried.end()}};
}

void Ddc2biLink::ClearReply() {
  pending_.reset();
}

void Ddc2biLink::Reset() {
  incoming_.clear();
  pending_.reset();
  outgoing_.clear();
  outgoingPos_ = 0;
}

}  // namespace vexa::sim
