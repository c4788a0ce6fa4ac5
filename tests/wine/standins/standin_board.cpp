#include "tests/wine/standins/standin_board.h"

#include <cstdlib>
#include <string>

#include "sim/board_file.h"
#include "sim/board_loader.h"
#include "util/utf8_path.h"

namespace vexa::standin {

namespace {

struct LoadedBoard {
  std::unique_ptr<Clock> clock;
  std::unique_ptr<sim::Board> board;
};

LoadedBoard LoadFromEnvironment() {
  LoadedBoard loaded;
  const char* path = std::getenv("VEXA_STANDIN_BOARD");
  if (path == nullptr) return loaded;
  const sim::BoardFileParse parsed = sim::ReadBoardFile(PathFromUtf8(path));
  if (!parsed.board) return loaded;
  loaded.clock = sim::MakeBoardClock(parsed.board->settings);
  loaded.board = sim::LoadBoard(*parsed.board, *loaded.clock).board;
  return loaded;
}

long TransfersAllowed() {
  const char* value = std::getenv("VEXA_STANDIN_FAIL_AFTER");
  return value == nullptr ? -1 : std::strtol(value, nullptr, 10);
}

}  // namespace

sim::Board* SharedBoard() {
  static LoadedBoard loaded = LoadFromEnvironment();
  return loaded.board.get();
}

bool TransferFails() {
  static const long allowed = TransfersAllowed();
  static long done = 0;
  if (allowed < 0) return false;
  return done++ >= allowed;
}

}  // namespace vexa::standin
