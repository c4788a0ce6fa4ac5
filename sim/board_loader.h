#pragma once

#include <filesystem>
#include <memory>

#include "sim/board.h"
#include "sim/board_file.h"
#include "util/clock.h"

namespace vexa::sim {

struct BoardLoad {
  // Null when the board could not be built; error then says why.
  std::unique_ptr<Board> board;
  BoardFileError error;
};

// Builds the board a description names. Each chip's flash comes from its Flash file when it
// exists (it must be exactly the chip type's flash size), else from its Firmware file placed
// at offset 0 over an erased flash (or an erased flash alone), and a Flash file named but
// absent is then created with those contents. Every file is checked before any is written,
// so a board that is refused leaves every flash file as it was.
BoardLoad LoadBoard(const BoardDescription& description, Clock& clock);

// The clock a board's settings ask for: virtual (waits take no real time) or real.
std::unique_ptr<Clock> MakeBoardClock(const BoardSettings& settings);

}  // namespace vexa::sim
