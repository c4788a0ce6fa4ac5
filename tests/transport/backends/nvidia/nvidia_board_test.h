#pragma once

#include <memory>

#include "testing/sim_nvapi.h"
#include "tests/sim/sim_board_fixture.h"
#include "transport/backends/nvidia/gfx_lib_nvidia.h"

namespace vexa::testing {

// An NVIDIA driver simulated over a board built in memory, and the backend over that driver.
// The board's AUX latency is zero, so the clock shows the backend's own waits alone.
class NvidiaBoardTest : public SimBoardTest {
 protected:
  static constexpr uint32_t kDisplayId = 0x00001000;
  static constexpr uint8_t kDdcAddr = 0x6E;

  void SetUp() override;

  // A DisplayPort display on the board, with one external DP connector.
  SimNvDisplay BoardDisplay(uint32_t displayId = kDisplayId) const;
  // One GPU with these displays.
  static SimNvDriver OneGpu(std::vector<SimNvDisplay> displays);

  // Builds the driver and the backend over it, and opens the backend.
  void Open(SimNvDriver driver);
  // Opens one GPU with the board's display and scans it for the chip.
  void OpenAndSelectBoardDisplay();

  // Scans with the DDC2bi probe at kDdcAddr; report and displayId hold the outcome.
  int32_t Scan(int32_t probeMode = 1);

  std::unique_ptr<SimNvapi> nvapi;
  std::unique_ptr<GfxLibNvidia> nvidia;
  std::string report;
  uint32_t displayId = 0;
};

}  // namespace vexa::testing
