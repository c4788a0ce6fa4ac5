#include "testing/ddc_frames.h"

namespace vexa::testing {

namespace {

std::vector<uint8_t> Frame(uint8_t first, uint8_t seed, uint8_t opcode,
                           const std::vector<uint8_t>& payload) {
  const auto inner = static_cast<uint8_t>(payload.size() + 3);
  std::vector<uint8_t> frame = {
      first, static_cast<uint8_t>(0x80 | (inner + 2)), 0xC2, 0x00, 0x00, inner, opcode};
  for (uint8_t byte : payload) frame.push_back(byte);
  uint8_t checksum = seed;
  for (uint8_t byte : frame) checksum ^= byte;
  frame.push_back(checksum);
  return frame;
}

}  // namespace

std::vector<uint8_t> AckReply(uint8_t addr) {
  return Frame(addr, 0x50, 0x0C, {});
}

std::vector<uint8_t> DataReply(uint8_t addr, uint8_t opcode, const std::vector<uint8_t>& data) {
  return Frame(addr, 0x50, opcode, data);
}

std::vector<uint8_t> NullMessage(uint8_t addr) {
  return {addr, 0x80, static_cast<uint8_t>(0x50 ^ addr ^ 0x80)};
}

std::vector<uint8_t> RequestFrame(uint8_t addr, uint8_t opcode,
                                  const std::vector<uint8_t>& params) {
  return Frame(0x51, addr, opcode, params);
}

}  // namespace vexa::testing
