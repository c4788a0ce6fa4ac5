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
  sim::BoardFileParse parsed = sim::ReadBoardFile(PathFromUtf8(path));
  if (!parsed.board) return loaded;
  // The tool under test waits in real time, so the board's erase and boot times must pass in
  // real time too, whatever the board file says (the demo board asks for virtual time). The
  // driver call and Wine already cost more than a wire's transaction, so the board charges no
  // latency of its own.
  parsed.board->settings.auxLatency = std::chrono::microseconds(0);
  loaded.clock = std::make_unique<RealClock>();
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

sim::AuxReply I2cOverAux::Transfer(bool reading, bool ends, uint8_t address,
                                   std::span<uint8_t> data) {
  const sim::I2cPhase phase{!open_ || reading_ != reading, ends};
  sim::Board* board = SharedBoard();
  const sim::AuxReply answer =
      reading ? board->I2cRead(address, data, phase) : board->I2cWrite(address, data, phase);
  open_ = answer == sim::AuxReply::kAck && !ends;
  reading_ = reading;
  return answer;
}

}  // namespace vexa::standin
