#include <algorithm>

#include "chip/version_text.h"
#include "engine/run/isp_run.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

// One chip type taken from an old firmware to a new one by the tool's run.
struct UpdateCase {
  const char* name;
  friend void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }
  tools::BinImageOptions oldImage;
  tools::BinImageOptions newImage;
  uint8_t cut;
  // What the tool shows for the chip after the update.
  const char* onBoardText;
};

class FullUpdate : public SimBoardTest, public ::testing::WithParamInterface<UpdateCase> {};

// The whole run on one host chip: driver download, boot, flash ID, erase, every block, reset.
// Afterwards the flash holds the new image and the chip reports the new version, as the tool
// reads it from the BIN file.
TEST_P(FullUpdate, WritesTheImageAndReportsItsVersion) {
  const UpdateCase& c = GetParam();
  const std::vector<uint8_t> newImage = BinImage(c.newImage);
  sim::ChipConfig chip = ChipOf(c.newImage.model);
  chip.cut = c.cut;
  BuildHostBoard({chip, BinImage(c.oldImage)});
  const FwFileInfo fileInfo = StageTarget(kHostTarget, DriverFile(c.newImage.model), newImage);

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_EQ(ctx.runStatus, RunStatus::kCompleted);
  EXPECT_TRUE(FlashOf(BoardSlot::kHost) == newImage);

  const ChipInfo onBoard = QueryTarget(kHostTarget);
  EXPECT_EQ(OnBoardInfoText(onBoard), c.onBoardText);
  EXPECT_TRUE(OnBoardInfoText(onBoard).ends_with("App: " + FileVersionText(fileInfo)));
}

INSTANTIATE_TEST_SUITE_P(
    ChipTypes, FullUpdate,
    ::testing::Values(
        UpdateCase{"Ocelin4100", ImageOptions(ChipModel::kOcelin4100, {0x01, 0x01, 0x02}),
                   ImageOptions(ChipModel::kOcelin4100, {0x02, 0x01, 0x05}, {}, 7), 0x21,
                   "Ocelin [4100] (on cut2.1) App: v1.02 (Rev: 0.5)"},
        // A newer boot code than the one on board: the boot code is written first.
        UpdateCase{"Ocelin4150WithBootCode",
                   ImageOptions(ChipModel::kOcelin4150, {0x00, 0x03, 0x00}, 0x0100),
                   ImageOptions(ChipModel::kOcelin4150, {0x10, 0x03, 0x00}, 0x0101, 7), 0x21,
                   "Ocelin [4150] (on cut2.1) App: v3.16 "},
        UpdateCase{"Arivane", ImageOptions(ChipModel::kArivane, {0x20, 0x45, 0x01}),
                   ImageOptions(ChipModel::kArivane, {0x67, 0x45, 0x89}, {}, 7), 0x21,
                   "Arivane (on cut2.1) App: v1.43 (Rev: 7.137)"},
        UpdateCase{"SolveniaWithBootCode", ImageOptions(ChipModel::kSolvenia, {0x01, 0x02, 0x00}),
                   ImageOptions(ChipModel::kSolvenia, {0x03, 0x02, 0x04}, 0x0203, 7), 0x21,
                   "Solvenia (on cut2.0) App: v2.03.4 "},
        UpdateCase{"Quivel", ImageOptions(ChipModel::kQuivel, {0x00, 0x0A, 0x1A}),
                   ImageOptions(ChipModel::kQuivel, {0x00, 0x0B, 0x1A}, {}, 7), 0x55,
                   "Quivel (on cut1.0) App: v1a.b "}),
    [](const auto& info) { return std::string(info.param.name); });

// A file without boot code on a chip that has one: the run keeps the boot code, erases and
// writes only the application region (with the file's info block moved where the boot code
// looks for it), and the chip boots the new application.
struct KeptBootCodeCase {
  const char* name;
  friend void PrintTo(const KeptBootCodeCase& c, std::ostream* os) { *os << c.name; }
  ChipModel model;
  const char* eraseLine;
};

class KeptBootCode : public SimBoardTest, public ::testing::WithParamInterface<KeptBootCodeCase> {};

TEST_P(KeptBootCode, RewritesOnlyTheApplicationRegion) {
  const KeptBootCodeCase& c = GetParam();
  const std::vector<uint8_t> oldImage = BinImage(ImageOptions(c.model, {0x01, 0x01, 0x00}, 0x0105));
  const std::vector<uint8_t> newImage = BinImage(ImageOptions(c.model, {0x02, 0x01, 0x00}, {}, 7));
  BuildHostBoard({ChipOf(c.model), oldImage});
  const FwFileInfo fileInfo = StageTarget(kHostTarget, DriverFile(c.model), newImage);

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_NE(LogText().find(c.eraseLine), std::string::npos);

  const std::vector<uint8_t> flash = FlashOf(BoardSlot::kHost);
  const size_t bootCodeSize = Chip(BoardSlot::kHost).profile().bootCodeSize;
  const size_t appSize = flash.size() - bootCodeSize;
  EXPECT_TRUE(std::equal(flash.end() - bootCodeSize, flash.end(), oldImage.end() - bootCodeSize));
  // The application region holds the new image, its last 64 bytes also 0x2000 bytes earlier.
  std::vector<uint8_t> expectedApp(newImage.begin(), newImage.begin() + appSize);
  std::copy(newImage.end() - 0x40, newImage.end(), expectedApp.end() - (0x2040 - bootCodeSize));
  EXPECT_TRUE(std::equal(expectedApp.begin(), expectedApp.end(), flash.begin()));

  const ChipInfo onBoard = QueryTarget(kHostTarget);
  EXPECT_EQ(onBoard.runMode, RunMode::kApplication);
  EXPECT_EQ(onBoard.bootCodeVersion, 0x0105);
  EXPECT_TRUE(OnBoardInfoText(onBoard).ends_with("App: " + FileVersionText(fileInfo)));
}

INSTANTIATE_TEST_SUITE_P(FlashSizes, KeptBootCode,
                         ::testing::Values(KeptBootCodeCase{"Flash512K", ChipModel::kOcelin4100,
                                                            "Erase App only (512K)"},
                                           KeptBootCodeCase{"Flash256K", ChipModel::kArivane,
                                                            "Erase App only (256K)"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Host and both downstream chips in one run: the ports are reached through the host's
// forwarding, and each chip ends up with its own new image.
TEST_F(SimBoardTest, RunProgramsTheHostAndBothPortsThroughForwarding) {
  const std::array<std::vector<uint8_t>, 3> newImages = BuildHostAndPorts(11);
  ctx.targets[kHostTarget].ddc2biAddr = sim::kHostCommandAddr;
  for (size_t i = 0; i < newImages.size(); ++i) {
    StageTarget(i, DriverFile(kHostAndPortModels[i]), newImages[i]);
  }

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  ExpectHostAndPortsUpdated(newImages);
  // The run ends with the host reset, which also ends any forwarding.
  EXPECT_EQ(board->forwardedPort(), 0);
}

// A whole 512 KiB image, every block written, in virtual time: the run reports how long it
// would take on hardware, at least the latency of every AUX transaction plus the erase.
TEST_F(SimBoardTest, FullFlashUpdateReportsItsSimulatedDuration) {
  BuildHostBoard({ChipOf(ChipModel::kOcelin4100), {}});
  const std::vector<uint8_t> image = BinImage(ImageOptions(ChipModel::kOcelin4100, {1, 2, 3}));
  StageTarget(kHostTarget, DriverFile(ChipModel::kOcelin4100), image);

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_TRUE(FlashOf(BoardSlot::kHost) == image);

  const auto simulated = std::chrono::duration_cast<std::chrono::milliseconds>(clock.Elapsed());
  RecordProperty("SimulatedMs", std::to_string(simulated.count()));
  RecordProperty("AuxTransactions", std::to_string(board->transactionCount()));
  const auto floor = board->transactionCount() * sim::BoardSettings{}.auxLatency +
                     ChipOf(ChipModel::kOcelin4100).eraseTime;
  EXPECT_GE(clock.Elapsed(), floor);
  // 1040 blocks of 504 bytes, each some forty transactions.
  EXPECT_GT(board->transactionCount(), 40000u);
}

}  // namespace
}  // namespace vexa::testing
