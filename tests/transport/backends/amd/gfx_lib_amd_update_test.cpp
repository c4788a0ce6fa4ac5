#include "engine/run/isp_run.h"
#include "tests/transport/backends/amd/amd_backend_fixture.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

// The whole run through the AMD backend: the scan finds the host chip at its command address,
// and host and both downstream chips (reached through the host's forwarding) end up with
// their new images.
TEST_F(AmdBackendTest, RunUpdatesTheHostAndBothPorts) {
  const std::array<ChipModel, 3> models = {ChipModel::kOcelin4100, ChipModel::kArivane,
                                           ChipModel::kSolvenia};
  std::array<std::optional<SimChipSetup>, sim::kBoardSlotCount> chips;
  std::array<std::vector<uint8_t>, 3> newImages;
  for (size_t i = 0; i < models.size(); ++i) {
    chips[i] =
        SimChipSetup{ChipOf(models[i]), BinImage(ImageOptions(models[i], {0x01, 0x01, 0x00}))};
    newImages[i] = BinImage(ImageOptions(models[i], {0x02, 0x02, 0x01}, {}, 21 + i));
  }
  BuildBoard(std::move(chips));
  ctx.targets[kHostTarget].ddc2biAddr = sim::kHostCommandAddr;
  for (size_t i = 0; i < models.size(); ++i) StageTarget(i, DriverFile(models[i]), newImages[i]);

  Open(OneAdapter(
      {{.connectorType = kHdmiConnector}, {.logicalIndex = kDisplayIndex, .board = board.get()}}));
  uint32_t displayId = 0;
  std::string report;
  ASSERT_EQ(amd->ScanPorts(1, &displayId, sim::kHostCommandAddr, &report), gfx_status::kSuccess)
      << report;
  ctx.activeGfxLib = amd.get();

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  for (size_t i = 0; i < models.size(); ++i) {
    EXPECT_TRUE(FlashOf(static_cast<BoardSlot>(i)) == newImages[i]) << "target " << i;
    EXPECT_EQ(QueryTarget(i).chipType, static_cast<ChipType>(models[i]));
  }
  EXPECT_EQ(amd->GetErrorCode(), 0) << amd->GetErrorText();
}

}  // namespace
}  // namespace vexa::testing
