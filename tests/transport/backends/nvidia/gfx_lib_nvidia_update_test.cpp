#include "engine/run/isp_run.h"
#include "tests/transport/backends/nvidia/nvidia_board_test.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

// The display the chip sits behind, plain or as the root of an MST topology (whose path block
// then travels in every request of the run).
struct UpdateCase {
  const char* name;
  friend void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }
  bool mstRoot;
};

class NvidiaUpdate : public NvidiaBoardTest, public ::testing::WithParamInterface<UpdateCase> {};

// The whole run, found by the scan and carried out through the NVIDIA backend: afterwards the
// flash holds the new image.
TEST_P(NvidiaUpdate, WritesTheImageThroughTheBackend) {
  const std::vector<uint8_t> newImage =
      BinImage(ImageOptions(ChipModel::kOcelin4100, {0x02, 0x01, 0x05}, {}, 7));
  BuildHostBoard({ChipOf(ChipModel::kOcelin4100),
                  BinImage(ImageOptions(ChipModel::kOcelin4100, {0x01, 0x01, 0x02}))});
  SimNvDisplay display = BoardDisplay();
  if (GetParam().mstRoot) {
    display.mstRoot = true;
    display.topology = {{.pathBlock = {0x11, 0x22, 0x33}, .nodeType = 0}};
  }
  Open(OneGpu({display}));
  ASSERT_EQ(Scan(), gfx_status::kSuccess) << report;
  ctx.activeGfxLib = nvidia.get();
  StageTarget(kHostTarget, DriverFile(ChipModel::kOcelin4100), newImage);

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_EQ(ctx.runStatus, RunStatus::kCompleted);
  EXPECT_TRUE(FlashOf(BoardSlot::kHost) == newImage);
}

INSTANTIATE_TEST_SUITE_P(Displays, NvidiaUpdate,
                         ::testing::Values(UpdateCase{"DisplayPort", false},
                                           UpdateCase{"MstRoot", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa::testing
