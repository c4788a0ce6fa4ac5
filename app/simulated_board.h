#pragma once

#include <memory>
#include <string>

#include "sim/board.h"
#include "transport/backends/sim/gfx_lib_sim.h"
#include "util/clock.h"

namespace vexa {

// A simulated board loaded from a board file, with its clock (virtual or real, as the file
// says) and the transport over it. The engine runs on the same clock, so a board in virtual
// time makes the whole update take no real time.
struct SimulatedBoard {
  std::unique_ptr<Clock> clock;
  std::unique_ptr<sim::Board> board;
  std::unique_ptr<GfxLibSim> gfx;
};

// Loads the board file at path (UTF-8). Null with error set (file, line and key) when the file
// is unreadable or invalid; no flash file is written then.
std::unique_ptr<SimulatedBoard> LoadSimulatedBoard(const std::string& path, std::string& error);

}  // namespace vexa
