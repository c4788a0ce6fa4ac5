#include "tests/transport/backends/intel/intel_board_fixture.h"

#include "util/text_format.h"

namespace vexa::testing {

std::vector<std::string> Requests(const std::vector<SimCuiCall>& calls) {
  std::vector<std::string> lines;
  lines.reserve(calls.size());
  for (const SimCuiCall& call : calls) {
    lines.push_back(StrPrintf("%s %u %u@0x%X", call.viaWriteMethod ? "write" : "read", call.command,
                              call.length, call.address));
  }
  return lines;
}

void IntelBoardTest::SetUp() {
  // Without AUX latency, so that call times show the backend's own waits alone.
  BuildHostBoard({ChipOf(sim::ChipModel::kOcelin4100),
                  BinImage(ImageOptions(sim::ChipModel::kOcelin4100, {0x01, 0x02, 0x03}))},
                 {.auxLatency = {}});
  driver.setup().adapters = {{"\\\\.\\DISPLAY1",
                              "Graphics Adapter A",
                              {{kDpDisplay, sim_display::kDisplayPort, sim_display::kAttached}}}};
}

void IntelBoardTest::Select(uint32_t deviceId) {
  driver.setup().sinks = {{deviceId, board.get()}};
  intel.SetDisplayId(deviceId);
  ASSERT_EQ(intel.Initialize(), gfx_status::kSuccess);
}

}  // namespace vexa::testing
