#include "tests/transport/backends/amd/amd_backend_fixture.h"

#include "engine/identification/chip_probe.h"

namespace vexa::testing {

SimAdlMachine OneAdapter(std::vector<SimAdlDisplay> displays) {
  SimAdlMachine machine;
  machine.adapters.push_back(
      {.adapterIndex = kAdapterIndex, .name = "Radeon Sim", .displays = std::move(displays)});
  return machine;
}

void AmdBackendTest::Open(SimAdlMachine machine) {
  adl = std::make_unique<SimAdl>(std::move(machine), clock);
  amd = std::make_unique<GfxLibAmd>(*adl, clock, IspChipProbe());
  ASSERT_EQ(amd->Initialize(), gfx_status::kSuccess) << amd->GetErrorText();
}

void AmdBackendTest::OpenWithChipSelected() {
  // Without AUX latency, so that call times show the backend's own waits alone.
  BuildHostBoard({ChipOf(sim::ChipModel::kOcelin4100), {}}, {.auxLatency = {}});
  Open(OneAdapter({{.logicalIndex = kDisplayIndex, .board = board.get()}}));
  uint32_t displayId = 0;
  std::string report;
  ASSERT_EQ(amd->ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kSuccess) << report;
  adl->ClearCalls();
  start_ = clock.Elapsed();
}

sim::Board* AmdBackendTest::ExtraBoard(sim::ChipConfig config) {
  std::array<std::unique_ptr<sim::Chip>, sim::kBoardSlotCount> chips;
  chips[0] = std::make_unique<sim::Chip>(
      config, sim::SpiFlash(sim::ErasedFlashContents(sim::ProfileOf(config.model).flashSize)));
  extraBoards_.push_back(
      std::make_unique<sim::Board>(sim::BoardSettings{}, std::move(chips), clock));
  return extraBoards_.back().get();
}

std::vector<std::chrono::microseconds> AmdBackendTest::CallTimes() const {
  std::vector<std::chrono::microseconds> times;
  times.reserve(adl->calls().size());
  for (const SimAdlCall& call : adl->calls()) times.push_back(call.at - start_);
  return times;
}

}  // namespace vexa::testing
