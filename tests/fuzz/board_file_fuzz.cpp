// The simulated board's file parser over any text. Paths it names are only resolved, never
// read, so the input reaches no file system.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/board_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto parse = vexa::sim::ParseBoardFile(text, "/fuzz/board.ini");
  if (!parse.board) (void)parse.error.ToString();
  return 0;
}
