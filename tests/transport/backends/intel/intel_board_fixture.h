#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/identification/chip_probe.h"
#include "testing/sim_cui_driver.h"
#include "tests/sim/sim_board_fixture.h"
#include "transport/backends/intel/gfx_lib_intel.h"

namespace vexa::testing {

inline constexpr uint32_t kDpDisplay = 0x0300;

// One line per device-data call: method, command, length and address ("read 5 2@0x6E").
std::vector<std::string> Requests(const std::vector<SimCuiCall>& calls);

// A host chip on the simulated board, the simulated Intel driver with one adapter whose only
// display is the DisplayPort output kDpDisplay, and GfxLibIntel over them.
class IntelBoardTest : public SimBoardTest {
 protected:
  void SetUp() override;

  // Puts the board behind deviceId (alone), makes it the current display and opens the driver.
  void Select(uint32_t deviceId);

  SimCuiDriver driver;
  GfxLibIntel intel{driver, clock, IspChipProbe()};
};

}  // namespace vexa::testing
