#include "engine/run/onboard_query.h"

#include "testing/scratch_dir.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using sim::ChipModel;

class OnBoardQueryTest : public SimBoardTest {
 protected:
  const ScratchDir dir_;
};

TEST_F(OnBoardQueryTest, HostOnlyQueriesOneChipWithoutForwarding) {
  BuildHostBoard({ChipOf(ChipModel::kOcelin4100),
                  BinImage(ImageOptions(ChipModel::kOcelin4100, {0x01, 0x01, 0x02}))});
  const FwFilePaths paths = {
      dir_.WriteFile("new.bin", BinImage(ImageOptions(ChipModel::kOcelin4100, {0x03, 0x01, 0x04}))),
      "", ""};
  ctx.connectErrorText[1] = "stale";

  EXPECT_TRUE(QueryOnBoard(ctx, paths));
  EXPECT_EQ(ctx.chipInfo[0].chipType, ChipType::kOcelin4100);
  EXPECT_EQ(ctx.connectErrorText[0], "");
  EXPECT_EQ(ctx.connectErrorText[1], "");
  EXPECT_EQ(ctx.fwFileStatusText[0], "");
  EXPECT_EQ(ctx.fwFileInfo[0].fwVersion, 0x010300u);
  EXPECT_EQ(board->forwardedPort(), 0);
  EXPECT_EQ(ctx.currentDdcAddr, 0x6E);
}

TEST_F(OnBoardQueryTest, HostThatRefusesTheOpenFrameStillLetsThePortFileBeRead) {
  sim::ChipConfig host = ChipOf(ChipModel::kArivane);
  host.faults.noAckOpcode = 0x09;
  BuildBoard({SimChipSetup{host, {}}, SimChipSetup{ChipOf(ChipModel::kArivane), {}}, {}});
  const FwFilePaths paths = {
      "", dir_.WriteFile("p1.bin", BinImage(ImageOptions(ChipModel::kArivane, {0x6B, 0x45, 0x89}))),
      ""};

  EXPECT_FALSE(QueryOnBoard(ctx, paths));
  EXPECT_EQ(ctx.chipInfo[1].chipType, ChipType::kNone);
  EXPECT_EQ(ctx.connectErrorText[1], "Error (11): SendIspDdcCmd: No ACK!");
  EXPECT_EQ(ctx.fwFileInfo[1].chipType, ChipType::kArivane);
  EXPECT_EQ(ctx.fwFileStatusText[1], "");
}

// The host's unreadable BIN file records a first error before Port#1 is queried; the port's
// connection error is still the one of its own query.
TEST_F(OnBoardQueryTest, ConnectionErrorIsTheTargetsOwn) {
  sim::ChipConfig host = ChipOf(ChipModel::kArivane);
  host.faults.noAckOpcode = 0x09;
  BuildBoard({SimChipSetup{host, {}}, SimChipSetup{ChipOf(ChipModel::kArivane), {}}, {}});
  const FwFilePaths paths = {
      dir_.WriteFile("nosig.bin", std::vector<uint8_t>(0x100, 0x00)),
      dir_.WriteFile("p1.bin", BinImage(ImageOptions(ChipModel::kArivane, {0x6B, 0x45, 0x89}))),
      ""};

  EXPECT_FALSE(QueryOnBoard(ctx, paths));
  EXPECT_EQ(ctx.connectErrorText[0], "");
  EXPECT_EQ(ctx.fwFileStatusText[0], "Error: No correct F/W signature!");
  EXPECT_EQ(ctx.connectErrorText[1], "Error (11): SendIspDdcCmd: No ACK!");
}

TEST_F(OnBoardQueryTest, EmptyPortShowsTheTransportsErrorAndFilesReportTheirProblems) {
  BuildBoard({SimChipSetup{ChipOf(ChipModel::kArivane), {}}, {}, {}});
  std::vector<uint8_t> unsigned_(0x100, 0x00);
  ctx.fwFileInfo[0].chipType = ChipType::kArivane;  // stale: cleared by the assignment
  const FwFilePaths paths = {dir_.WriteFile("nosig.bin", unsigned_),
                             (dir_ / "missing.bin").string(), ""};

  EXPECT_FALSE(QueryOnBoard(ctx, paths));
  EXPECT_EQ(ctx.connectErrorText[0], "");
  EXPECT_EQ(ctx.fwFileStatusText[0], "Error: No correct F/W signature!");
  EXPECT_EQ(ctx.fwFileInfo[0].chipType, ChipType::kNone);
  // Forwarding to a port without a chip: the chip query's transport failure is shown as the
  // transport's own record.
  EXPECT_TRUE(ctx.connectErrorText[1].starts_with("Gfx Error (-1): ")) << ctx.connectErrorText[1];
  EXPECT_EQ(ctx.fwFileStatusText[1], "Open FW file failed!\r\n");
  EXPECT_EQ(ctx.currentDdcAddr, 0x60);
}

TEST(TargetLabel, NamesTheThreeTargets) {
  EXPECT_EQ(TargetLabel(0), "<Host  > ");
  EXPECT_EQ(TargetLabel(2), "<Port#2> ");
  EXPECT_EQ(TargetLabel(3), "");
}

}  // namespace
}  // namespace vexa::testing
