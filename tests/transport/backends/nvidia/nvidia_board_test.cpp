#include "tests/transport/backends/nvidia/nvidia_board_test.h"

#include "engine/identification/chip_probe.h"

namespace vexa::testing {

void NvidiaBoardTest::SetUp() {
  BuildBoard({SimChipSetup{ChipOf(sim::ChipModel::kOcelin4100), {}}, {}, {}},
             {.auxLatency = std::chrono::microseconds(0)});
}

SimNvDisplay NvidiaBoardTest::BoardDisplay(uint32_t id) const {
  SimNvDisplay display;
  display.displayId = id;
  display.board = board.get();
  return display;
}

SimNvDriver NvidiaBoardTest::OneGpu(std::vector<SimNvDisplay> displays) {
  SimNvDriver driver;
  driver.gpus.push_back({.fullName = "Simulated GPU", .displays = std::move(displays)});
  return driver;
}

void NvidiaBoardTest::Open(SimNvDriver driver) {
  nvapi = std::make_unique<SimNvapi>(std::move(driver), clock);
  nvidia = std::make_unique<GfxLibNvidia>(*nvapi, clock, IspChipProbe());
  ASSERT_EQ(nvidia->Initialize(), gfx_status::kSuccess);
}

void NvidiaBoardTest::OpenAndSelectBoardDisplay() {
  Open(OneGpu({BoardDisplay()}));
  ASSERT_EQ(Scan(), gfx_status::kSuccess) << report;
}

int32_t NvidiaBoardTest::Scan(int32_t probeMode) {
  return nvidia->ScanPorts(probeMode, &displayId, kDdcAddr, &report);
}

}  // namespace vexa::testing
