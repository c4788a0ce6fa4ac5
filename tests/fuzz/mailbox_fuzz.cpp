// The buffer-info block and the mailbox operations over a DPCD that reads the fuzzer's bytes.
#include <cstddef>
#include <cstdint>

#include "engine/protocol/dpcd_mailbox.h"
#include "tests/fuzz/fuzzed_chip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vexa::fuzz::FuzzedChip chip(data, size);
  if (!vexa::GetDpcdBufferInfo(chip.ctx)) return 0;
  vexa::WriteMailboxCommand(chip.ctx, vexa::kGetFlashIdCommand);
  vexa::WaitMailboxAck(chip.ctx);
  vexa::ClearMailboxAck(chip.ctx);
  return 0;
}
