#pragma once

#include <memory>
#include <string>

#include "app/simulated_board.h"
#include "transport/adapter_detection.h"
#include "transport/backends/backend_registry.h"
#include "util/clock.h"

namespace vexa {

// What a front end detects over, and the clock every wait of the tool goes through: the
// simulated board of a board file (on the board's clock, so a board in virtual time takes no
// real time), or this machine's vendor backends on the real clock.
struct ToolTransport {
  RealClock realClock;
  Clock* clock = &realClock;
  std::unique_ptr<SimulatedBoard> simulated;
  std::unique_ptr<SystemBackends> system;
  GfxBackends backends;
};

// boardPath (UTF-8) empty: this machine's backends. Null with error set ("Board file: " and the
// board file's problem) when the board file cannot be loaded.
std::unique_ptr<ToolTransport> OpenToolTransport(const std::string& boardPath, std::string& error);

}  // namespace vexa
