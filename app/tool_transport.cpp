#include "app/tool_transport.h"

#include "engine/identification/chip_probe.h"

namespace vexa {

std::unique_ptr<ToolTransport> OpenToolTransport(const std::string& boardPath, std::string& error) {
  auto transport = std::make_unique<ToolTransport>();
  if (boardPath.empty()) {
    transport->system = std::make_unique<SystemBackends>(transport->realClock, IspChipProbe());
    transport->backends = transport->system->Backends();
    return transport;
  }
  std::string boardError;
  transport->simulated = LoadSimulatedBoard(boardPath, boardError);
  if (!transport->simulated) {
    error = "Board file: " + boardError;
    return nullptr;
  }
  transport->clock = transport->simulated->clock.get();
  transport->backends.simulator = transport->simulated->gfx.get();
  return transport;
}

}  // namespace vexa
