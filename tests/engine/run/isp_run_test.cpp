#include "engine/run/isp_run.h"

#include <algorithm>
#include <cstdio>

#include "chip/version_text.h"
#include "engine/engine_log.h"
#include "engine/isp_status.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

class IspRunTest : public SimBoardTest {
 protected:
  IspRunTest() { ctx.printTimeStamp = false; }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (size_t i = 0; i < ctx.log.Count(); ++i) lines.push_back(*ctx.log.EntryAt(i));
    return lines;
  }
  bool Logged(const std::string& line) const {
    const std::vector<std::string> lines = LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool AllTargetsReleased() const {
    return std::all_of(ctx.targets.begin(), ctx.targets.end(), [](const IspTarget& t) {
      return !t.driverImage && !t.fwImage && !t.bootCodeImage && t.fileChipType == ChipType::kNone;
    });
  }
};

TEST_F(IspRunTest, HostRunLogsEveryStepAndEndsComplete) {
  BuildHostBoard(
      {ChipOf(ChipModel::kArivane), BinImage(ImageOptions(ChipModel::kArivane, {1, 1, 1}))});
  StageTarget(kHostTarget, DriverFile(ChipModel::kArivane),
              BinImage(ImageOptions(ChipModel::kArivane, {2, 2, 2}, {}, 3)));

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "Start VEXA ISP...\r\n",
                            "ISP on [Host]:\r\n",
                            "No boot-code on both on-board and BIN file!\r\n",
                            "ISP initialization... done!\r\n",
                            "Loading ISP driver... started\r\n",
                            "Loading ISP driver... done!\r\n",
                            "Booting up ISP driver... started\r\n",
                            "Booting up ISP driver... done!\r\n",
                            "Get Flash ID... started\r\n",
                            "Flash ID: 0xC813\r\n",
                            "Erase full SPI flash!\r\n",
                            "Erasing flash (FFFF)... started\r\n",
                            "Erasing flash... done!\r\n",
                            "Writing F/W... started\r\n",
                            "Writing F/W... done!\r\n",
                            "Chip reset... done!\r\n",
                        }));
  EXPECT_EQ(ctx.runStatus.load(), RunStatus::kCompleted);
  EXPECT_EQ(ctx.targets[0].status.load(), TargetStatus::kDone);
  EXPECT_EQ(ctx.targets[1].status.load(), TargetStatus::kIdle);
  EXPECT_EQ(ctx.progressDone.load(), ctx.progressTotal.load());
  EXPECT_GT(ctx.progressTotal.load(), 0u);
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_TRUE(AllTargetsReleased());
}

// One row of the boot-code decision: the policy switch, the boot codes on board and in the
// file, and what the run erases and writes.
struct BootCodeRow {
  const char* name;
  friend void PrintTo(const BootCodeRow& c, std::ostream* os) { *os << c.name; }
  uint8_t progBootCode;
  std::optional<uint16_t> onBoard;
  std::optional<uint16_t> inFile;
  const char* versionsLog;
  const char* eraseLog;
  const char* writeLog;
  bool bootCodeRewritten;
};

class BootCodeDecision : public IspRunTest, public ::testing::WithParamInterface<BootCodeRow> {};

TEST_P(BootCodeDecision, ErasesAndWritesTheRegionsItsRowNames) {
  const BootCodeRow& row = GetParam();
  const std::vector<uint8_t> oldImage =
      BinImage(ImageOptions(ChipModel::kArivane, {1, 1, 1}, row.onBoard));
  const std::vector<uint8_t> newImage =
      BinImage(ImageOptions(ChipModel::kArivane, {2, 2, 2}, row.inFile, 9));
  BuildHostBoard({ChipOf(ChipModel::kArivane), oldImage});
  StageTarget(kHostTarget, DriverFile(ChipModel::kArivane), newImage);
  ctx.targets[kHostTarget].progBootCode = row.progBootCode;

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  if (row.versionsLog[0] != '\0') {
    EXPECT_TRUE(Logged(row.versionsLog)) << row.versionsLog;
  }
  EXPECT_TRUE(Logged(row.eraseLog)) << row.eraseLog;
  EXPECT_TRUE(Logged(row.writeLog)) << row.writeLog;
  EXPECT_EQ(Logged("Writing boot-code... started\r\n"), row.bootCodeRewritten);

  const std::vector<uint8_t> flash = FlashOf(BoardSlot::kHost);
  constexpr size_t kBootCode = 0x2000;
  const bool wholeImage = std::string(row.writeLog) == "Writing F/W... started\r\n";
  const std::vector<uint8_t>& bootSource =
      wholeImage || row.bootCodeRewritten ? newImage : oldImage;
  EXPECT_TRUE(std::equal(flash.end() - kBootCode, flash.end(), bootSource.end() - kBootCode));
  EXPECT_TRUE(std::equal(flash.begin(), flash.begin() + 0x1000, newImage.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BootCodeDecision,
    ::testing::Values(
        BootCodeRow{"PolicyOffWritesTheWholeImage", 0, 0x0105, 0x0106, "",
                    "Erasing flash (FFFF)... started\r\n", "Writing F/W... started\r\n", false},
        BootCodeRow{"NoBootCodeAnywhere",
                    1,
                    {},
                    {},
                    "No boot-code on both on-board and BIN file!\r\n",
                    "Erasing flash (FFFF)... started\r\n",
                    "Writing F/W... started\r\n",
                    false},
        BootCodeRow{"OnlyOnBoardIsKept",
                    1,
                    0x0105,
                    {},
                    "Only on-board Boot-code: v1.5\r\n",
                    "Erase App only (256K)\r\n",
                    "Writing App F/W... started\r\n",
                    false},
        BootCodeRow{"SameVersionIsKept", 1, 0x0103, 0x0103,
                    "Boot-code version:\r\n  On-board: v1.3\r\n  BIN file: v1.3\r\n",
                    "Erasing flash (FFB1)... started\r\n", "Writing App F/W... started\r\n", false},
        BootCodeRow{"OlderVersionIsUpdated", 1, 0x0103, 0x0104,
                    "Boot-code version:\r\n  On-board: v1.3\r\n  BIN file: v1.4\r\n",
                    "Erasing flash (FFFF)... started\r\n", "Writing App F/W... started\r\n", true},
        BootCodeRow{"MissingBootCodeIsWritten",
                    1,
                    {},
                    0x0104,
                    "No on-board Boot-code!\r\nBoot-code in BIN file: v1.4\r\n",
                    "Erase full SPI flash!\r\n",
                    "Writing boot-code... done!\r\n",
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

// A mostly blank image: the estimate counts little more than the data, while the driver
// download and the erase add their own units. Progress stays within the total all the same,
// also when the run fails before the end sets it to the total.
TEST_F(IspRunTest, ProgressNeverPassesTheTotal) {
  for (const bool fails : {false, true}) {
    sim::ChipConfig chip = ChipOf(ChipModel::kOcelin4100);
    if (fails) chip.faults.blockReject = 1;
    BuildHostBoard({chip, {}});
    tools::BinImageOptions options = ImageOptions(ChipModel::kOcelin4100, {2, 2, 2});
    options.dataSize = 0x100;
    StageTarget(kHostTarget, DriverFile(ChipModel::kOcelin4100), BinImage(options));

    EXPECT_EQ(RunIsp(ctx), !fails) << ctx.firstErrorText;
    EXPECT_GT(ctx.progressTotal.load(), 0u);
    EXPECT_LE(ctx.progressDone.load(), ctx.progressTotal.load()) << "fails: " << fails;
    if (!fails) {
      EXPECT_EQ(ctx.progressDone.load(), ctx.progressTotal.load());
    }
  }
}

TEST_F(IspRunTest, NothingToProgramEndsFailedWithItsReason) {
  BuildHostBoard({ChipOf(ChipModel::kArivane), {}});
  EXPECT_FALSE(RunIsp(ctx));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"No available device!\r\n"}));
  EXPECT_EQ(ctx.runStatus.load(), RunStatus::kFailed);

  // A chip answers, but the file is for another chip type.
  StageTarget(kHostTarget, DriverFile(ChipModel::kSolvenia),
              BinImage(ImageOptions(ChipModel::kSolvenia, {1, 2, 0})));
  EXPECT_FALSE(RunIsp(ctx));
  EXPECT_EQ(LogLines(),
            (std::vector<std::string>{"Host F/W BIN file not matched with on-board chip!\r\n",
                                      "No available ISP file!\r\n"}));
  EXPECT_EQ(ctx.targets[0].status.load(), TargetStatus::kIdle);
  EXPECT_EQ(ctx.targets[0].onBoardChipType, ChipType::kArivane);
  EXPECT_TRUE(AllTargetsReleased());
}

class PortRunTest : public IspRunTest {
 protected:
  // Host and both ports hold Arivane chips with an old image; faults per slot.
  void BuildPorts(std::array<sim::ChipFaults, 3> faults, sim::BoardSettings settings = {}) {
    std::array<std::optional<SimChipSetup>, sim::kBoardSlotCount> chips;
    for (size_t i = 0; i < chips.size(); ++i) {
      sim::ChipConfig config = ChipOf(ChipModel::kArivane);
      config.faults = faults[i];
      chips[i] = SimChipSetup{config, BinImage(ImageOptions(ChipModel::kArivane, {1, 1, 1}))};
    }
    BuildBoard(std::move(chips), settings);
    ctx.targets[kHostTarget].ddc2biAddr = sim::kHostCommandAddr;
    ctx.nextIspDelayMs = 1000;
  }
  void Stage(std::initializer_list<size_t> targets) {
    for (size_t i : targets) {
      newImages[i] = BinImage(ImageOptions(ChipModel::kArivane, {2, 2, 2}, {}, 20 + i));
      StageTarget(i, DriverFile(ChipModel::kArivane), newImages[i]);
    }
  }
  std::array<std::vector<uint8_t>, 3> newImages;
};

TEST_F(PortRunTest, HostFailureLeavesThePortsUntouched) {
  sim::ChipFaults hostFaults;
  hostFaults.eraseNever = true;
  BuildPorts({hostFaults, sim::ChipFaults{}, sim::ChipFaults{}});
  Stage({0, 2});
  const std::vector<uint8_t> port2Before = FlashOf(BoardSlot::kPort2);

  EXPECT_FALSE(RunIsp(ctx));
  EXPECT_EQ(ctx.runStatus.load(), RunStatus::kFailed);
  EXPECT_EQ(ctx.firstErrorCode, 1);
  EXPECT_EQ(ctx.targets[0].status.load(), TargetStatus::kFailed);
  EXPECT_EQ(ctx.targets[2].status.load(), TargetStatus::kSelected);
  EXPECT_FALSE(Logged("Host device re-booting...\r\n"));
  EXPECT_FALSE(Logged("Reset host device\r\n"));
  EXPECT_TRUE(FlashOf(BoardSlot::kPort2) == port2Before);
}

TEST_F(PortRunTest, FailedPortDoesNotStopTheOtherButFailsTheRun) {
  sim::ChipFaults port1Faults;
  port1Faults.flashIdNever = true;
  BuildPorts({sim::ChipFaults{}, port1Faults, sim::ChipFaults{}});
  Stage({1, 2});

  EXPECT_FALSE(RunIsp(ctx));
  // The other port is still programmed, but the run does not report success.
  EXPECT_EQ(ctx.runStatus.load(), RunStatus::kFailed);
  EXPECT_EQ(ctx.targets[1].status.load(), TargetStatus::kFailed);
  EXPECT_EQ(ctx.targets[2].status.load(), TargetStatus::kDone);
  EXPECT_TRUE(FlashOf(BoardSlot::kPort2) == newImages[2]);
  EXPECT_EQ(ctx.firstErrorCode, 7);
  // The driver never posts an answer: the area stays empty, which is not a flash-ID answer.
  EXPECT_EQ(ctx.firstErrorText, "GetFlashID: Reply not correct!");
  EXPECT_TRUE(Logged("Reset host device\r\n"));
  EXPECT_FALSE(Logged("Host device re-booting...\r\n"));
  EXPECT_LT(ctx.progressDone.load(), ctx.progressTotal.load());
}

// A configured target whose file could not be staged: the run says so, fails that target and
// the run, and still programs the others.
TEST_F(PortRunTest, SkippedTargetFailsTheRunButTheOthersAreProgrammed) {
  BuildPorts({});
  Stage({0, 2});
  const std::string problem = "Port#1 skipped: driver file \"p1.bin\": Open driver file failed!";
  ctx.targets[1].fileProblem = problem;

  EXPECT_FALSE(RunIsp(ctx));
  EXPECT_EQ(ctx.runStatus.load(), RunStatus::kFailed);
  EXPECT_TRUE(Logged(problem + "\r\n"));
  EXPECT_EQ(ctx.targets[0].status.load(), TargetStatus::kDone);
  EXPECT_EQ(ctx.targets[1].status.load(), TargetStatus::kFailed);
  EXPECT_EQ(ctx.targets[2].status.load(), TargetStatus::kDone);
  EXPECT_TRUE(FlashOf(BoardSlot::kHost) == newImages[0]);
  EXPECT_TRUE(FlashOf(BoardSlot::kPort2) == newImages[2]);
  EXPECT_EQ(ctx.firstErrorCode, isp_status::kInvalidParameter);
  EXPECT_EQ(ctx.firstErrorText, problem);
  EXPECT_TRUE(ctx.targets[1].fileProblem.empty());  // released with the images

  // Alone, it leaves nothing to program.
  ctx.targets[1].fileProblem = problem;
  EXPECT_FALSE(RunIsp(ctx));
  EXPECT_TRUE(Logged("No available ISP file!\r\n"));
  EXPECT_EQ(ctx.firstErrorText, problem);
}

// The failed target's error is the one shown, whatever it recorded and whatever fails later.
TEST_F(IspRunTest, HeldTargetFailureIsNotReplaced) {
  BuildHostBoard({ChipOf(ChipModel::kArivane), {}});
  // A code-0 text is kept.
  SetFirstError(ctx, 0, "Getting DPCD buffer info... failed! (Buffer size = 0)");
  HoldTargetFailure(ctx, 1);
  SetFirstError(ctx, 11, "SendIspDdcCmd: No ACK!");
  EXPECT_EQ(ctx.firstErrorCode, 0);
  EXPECT_TRUE(ctx.firstErrorHeld);
  EXPECT_EQ(FormatFirstError(ctx),
            "Error (0): Getting DPCD buffer info... failed! (Buffer size = 0)");

  // Nothing recorded, the transport's record clean: the target is named.
  ClearFirstError(ctx);
  gfx->ClearError();
  HoldTargetFailure(ctx, 2);
  SetFirstError(ctx, 11, "later");
  EXPECT_EQ(ctx.firstErrorCode, isp_status::kUnexpectedReply);
  EXPECT_EQ(ctx.firstErrorText, "ISP on [Port#2] failed!");

  // Nothing recorded, but the transport failed: its record is the error.
  ClearFirstError(ctx);
  uint8_t byte = 0;
  ASSERT_NE(gfx->DdcAuxWrite(0x70, &byte, 1), gfx_status::kSuccess);
  HoldTargetFailure(ctx, 1);
  EXPECT_EQ(ctx.firstErrorCode, isp_status::kDriverCallFailed);
  EXPECT_EQ(FormatFirstError(ctx), "Gfx Error (-1): I2C write at 0x70: no answer (AUX NACK)");
}

// Milliseconds of the day in a log line's "[hh:mm:ss.mmm] " stamp.
int64_t StampMs(const std::string& line) {
  int hours = 0, minutes = 0, seconds = 0, ms = 0;
  EXPECT_EQ(std::sscanf(line.c_str(), "[%d:%d:%d.%d]", &hours, &minutes, &seconds, &ms), 4) << line;
  return ((hours * 60LL + minutes) * 60 + seconds) * 1000 + ms;
}

// The host answers nothing while it boots after its reset: the ports are opened only after the
// configured wait, and a host that boots for longer than that cannot open them.
TEST_F(PortRunTest, PortsWaitForTheHostToReboot) {
  for (const int64_t hostBootMs : {500, 1500}) {
    sim::BoardSettings settings;
    settings.hostBootTime = std::chrono::milliseconds(hostBootMs);
    BuildPorts({}, settings);
    Stage({0, 1});
    ctx.printTimeStamp = true;
    const bool booted = hostBootMs < ctx.nextIspDelayMs;

    EXPECT_EQ(RunIsp(ctx), booted) << ctx.firstErrorText;
    const std::vector<std::string> lines = LogLines();
    const auto reboot = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.ends_with("] Host device re-booting...\r\n");
    });
    ASSERT_NE(reboot, lines.end());
    ASSERT_NE(reboot + 1, lines.end());
    EXPECT_TRUE((reboot + 1)
                    ->ends_with(booted ? "] ISP on [Port#1]:\r\n"
                                       : "] Forwarding AUX to port#1 ... failed!\r\n"))
        << *(reboot + 1);
    // Opening the port sends two commands and waits for their acknowledges after the wait.
    const int64_t waited = StampMs(*(reboot + 1)) - StampMs(*reboot);
    EXPECT_GE(waited, ctx.nextIspDelayMs);
    if (booted) {
      EXPECT_LT(waited, ctx.nextIspDelayMs + 200);
    }
    EXPECT_TRUE(lines.back().ends_with("] Reset host device\r\n"));
    EXPECT_EQ(FlashOf(BoardSlot::kPort1) == newImages[1], booted);
  }
}

TEST_F(IspRunTest, FailedRunLeavesTheBootCodeAndASecondRunRecoversTheChip) {
  const std::vector<uint8_t> oldImage =
      BinImage(ImageOptions(ChipModel::kArivane, {1, 1, 1}, 0x0102));
  const std::vector<uint8_t> newImage =
      BinImage(ImageOptions(ChipModel::kArivane, {0x67, 0x45, 0x89}, 0x0102, 4));
  sim::ChipConfig faulty = ChipOf(ChipModel::kArivane);
  faulty.faults.blockReject = 3;
  BuildHostBoard({faulty, oldImage});
  StageTarget(kHostTarget, DriverFile(ChipModel::kArivane), newImage);

  EXPECT_FALSE(RunIsp(ctx));
  EXPECT_EQ(ctx.firstErrorText,
            "ExecuteFwWriteBlock (0x3F0): Sending F/W payload: Reading ACK failed!");
  // The application is gone, the boot code stayed: the chip now runs its boot code.
  const std::vector<uint8_t> halfWritten = FlashOf(BoardSlot::kHost);
  BuildHostBoard({ChipOf(ChipModel::kArivane), halfWritten});
  EXPECT_EQ(QueryTarget(kHostTarget).runMode, RunMode::kBootCode);

  const FwFileInfo fileInfo = StageTarget(kHostTarget, DriverFile(ChipModel::kArivane), newImage);
  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_TRUE(Logged("Erase App only (256K)\r\n"));
  const ChipInfo recovered = QueryTarget(kHostTarget);
  EXPECT_EQ(recovered.runMode, RunMode::kApplication);
  EXPECT_EQ(recovered.bootCodeVersion, 0x0102);
  EXPECT_EQ(OnBoardInfoText(recovered), "Arivane (on cut2.1) App: v" +
                                            FwVersionText(ChipType::kArivane, fileInfo.fwVersion) +
                                            " (Rev: 7.137)");
}

}  // namespace
}  // namespace vexa::testing
