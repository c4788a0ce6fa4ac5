// Chip identification over a chip answering with the fuzzer's bytes.
#include <cstddef>
#include <cstdint>

#include "chip/chip_types.h"
#include "engine/identification/chip_query.h"
#include "tests/fuzz/fuzzed_chip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vexa::fuzz::FuzzedChip chip(data, size);
  vexa::ChipInfo info{};
  if (vexa::QueryChip(chip.ctx, info)) vexa::ReadFlashBootCodeVersion(chip.ctx, info.chipType);
  return 0;
}
