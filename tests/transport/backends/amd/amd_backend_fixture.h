#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "testing/sim_adl.h"
#include "tests/sim/sim_board_fixture.h"
#include "transport/backends/amd/gfx_lib_amd.h"

namespace vexa::testing {

// Connector types of the display records.
inline constexpr int32_t kHdmiConnector = 10;
inline constexpr int32_t kDpConnector = 15;
inline constexpr int32_t kEdpConnector = 16;

// The adapter and display the single-display machines put the chip on.
inline constexpr int32_t kAdapterIndex = 5;
inline constexpr int32_t kDisplayIndex = 3;

// One active adapter (index kAdapterIndex, at position 0) with these displays.
SimAdlMachine OneAdapter(std::vector<SimAdlDisplay> displays);

// The AMD backend over the simulated library, on the virtual clock of a board built in memory.
class AmdBackendTest : public SimBoardTest {
 protected:
  // Builds the library over machine and opens the backend on it; the open must succeed.
  void Open(SimAdlMachine machine);

  // A host board with one Ocelin chip on display kDisplayIndex of adapter kAdapterIndex, the
  // backend open and the chip's port selected by a scan; the calls and the time start afresh.
  void OpenWithChipSelected();

  // A further board with one chip, for machines with several displays that answer.
  sim::Board* ExtraBoard(sim::ChipConfig config = ChipOf(sim::ChipModel::kOcelin4100));

  // Time since OpenWithChipSelected, or since the clock started.
  std::chrono::microseconds Elapsed() const { return clock.Elapsed() - start_; }
  // When the library received each call, relative to the same start.
  std::vector<std::chrono::microseconds> CallTimes() const;

  std::unique_ptr<SimAdl> adl;
  std::unique_ptr<GfxLibAmd> amd;

 private:
  std::vector<std::unique_ptr<sim::Board>> extraBoards_;
  std::chrono::microseconds start_{};
};

}  // namespace vexa::testing
