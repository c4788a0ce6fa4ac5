#include "app/simulated_board.h"

#include "engine/identification/chip_probe.h"
#include "sim/board_file.h"
#include "sim/board_loader.h"
#include "util/utf8_path.h"

namespace vexa {

std::unique_ptr<SimulatedBoard> LoadSimulatedBoard(const std::string& path, std::string& error) {
  const sim::BoardFileParse parsed = sim::ReadBoardFile(PathFromUtf8(path));
  if (!parsed.board) {
    error = parsed.error.ToString();
    return nullptr;
  }
  auto simulated = std::make_unique<SimulatedBoard>();
  simulated->clock = sim::MakeBoardClock(parsed.board->settings);
  sim::BoardLoad loaded = sim::LoadBoard(*parsed.board, *simulated->clock);
  if (!loaded.board) {
    error = loaded.error.ToString();
    return nullptr;
  }
  simulated->board = std::move(loaded.board);
  simulated->gfx =
      std::make_unique<GfxLibSim>(*simulated->board, *simulated->clock, IspChipProbe());
  return simulated;
}

}  // namespace vexa
