// DDC reply framing with ReadIspReply and ReadIspAck over a chip answering with the fuzzer's
// bytes, read alternately until the answers run out.
#include <cstddef>
#include <cstdint>

#include "engine/protocol/command_channel.h"
#include "tests/fuzz/fuzzed_chip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vexa::fuzz::FuzzedChip chip(data, size);
  bool ack = true;
  while (!chip.gfx.Exhausted()) {
    if (ack) {
      vexa::ReadIspAck(chip.ctx, false);
    } else {
      vexa::ReplyData reply{};
      vexa::ReadIspReply(chip.ctx, reply);
    }
    ack = !ack;
  }
  return 0;
}
