#include <algorithm>

#include "engine/run/isp_run.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

// One way the chip fails, as a key of its board-file section sets it, and what the tool's run
// meets because of it.
struct FaultCase {
  const char* name;
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
  void (*apply)(sim::ChipConfig& chip);
  int32_t code;
  const char* text;
  // Image bytes written before the run stopped (the rest of the flash is as the fault left it).
  size_t bytesWritten;
};

class ChipFault : public SimBoardTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ChipFault, StopsTheRunWhereTheChipFails) {
  const FaultCase& c = GetParam();
  sim::ChipConfig chip = ChipOf(ChipModel::kArivane);
  c.apply(chip);
  const std::vector<uint8_t> oldImage = BinImage(ImageOptions(ChipModel::kArivane, {1, 1, 1}));
  const std::vector<uint8_t> newImage =
      BinImage(ImageOptions(ChipModel::kArivane, {2, 2, 2}, {}, 5));
  BuildHostBoard({chip, oldImage});
  StageTarget(kHostTarget, DriverFile(ChipModel::kArivane), newImage);

  EXPECT_FALSE(RunIsp(ctx));
  EXPECT_EQ(ctx.firstErrorCode, c.code);
  EXPECT_EQ(ctx.firstErrorText, c.text);

  const std::vector<uint8_t> flash = FlashOf(BoardSlot::kHost);
  if (c.bytesWritten == 0) {
    EXPECT_TRUE(flash == oldImage);
  } else {
    EXPECT_TRUE(std::equal(newImage.begin(), newImage.begin() + c.bytesWritten, flash.begin()));
    EXPECT_TRUE(std::all_of(flash.begin() + c.bytesWritten, flash.end(),
                            [](uint8_t b) { return b == 0xFF; }));
  }
}

INSTANTIATE_TEST_SUITE_P(
    FaultKeys, ChipFault,
    ::testing::Values(
        FaultCase{"NoAckOpcode", [](sim::ChipConfig& c) { c.faults.noAckOpcode = 0x1D; }, 11,
                  "SendIspDdcCmd: No ACK!", 0},
        FaultCase{"DriverChunkNoAck", [](sim::ChipConfig& c) { c.faults.driverChunkNoAck = 2; }, 11,
                  "ExecuteRamWriteBlock: AUX writing 0x0075 ... No ACK!", 0},
        // The acknowledge area stays empty, so its opcode byte is not the flash ID's.
        FaultCase{"FlashIdNever", [](sim::ChipConfig& c) { c.faults.flashIdNever = true; }, 7,
                  "GetFlashID: Reply not correct!", 0},
        FaultCase{"EraseNever", [](sim::ChipConfig& c) { c.faults.eraseNever = true; }, 1,
                  "EraseFlash: Timeout! (SPI flash might need more time to complete.)", 0},
        // The engine gives an erase its configured 300 ms, then polls 200 times 50 ms apart:
        // about 10.4 s in all, so an erase of 12 s is still running when it gives up.
        FaultCase{"EraseSlowerThanTheEnginesWait",
                  [](sim::ChipConfig& c) { c.eraseTime = std::chrono::seconds(12); }, 1,
                  "EraseFlash: Timeout! (SPI flash might need more time to complete.)", 0},
        // The third block starts at 2 x 504 = 0x3F0; the two before it are written.
        FaultCase{"BlockReject", [](sim::ChipConfig& c) { c.faults.blockReject = 3; }, 7,
                  "ExecuteFwWriteBlock (0x3F0): Sending F/W payload: Reading ACK failed!", 0x3F0},
        // The 200th transaction falls in the 19th chunk of the driver download.
        FaultCase{"TransportFailAfter",
                  [](sim::ChipConfig& c) { c.faults.transportFailAfter = 200; }, 6,
                  "ExecuteRamWriteBlock: AUX writing 0x083A ... failed!", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// From the n-th transaction on, every transport call fails and says so in the error record.
TEST_F(SimBoardTest, TransportFailAfterFailsEveryCallFromTheNthTransactionOn) {
  sim::ChipConfig chip = ChipOf(ChipModel::kOcelin4100);
  chip.faults.transportFailAfter = 3;
  BuildHostBoard({chip, {}});
  uint8_t byte = 0;
  EXPECT_EQ(gfx->NativeAuxRead(0x503, &byte, 1), 0);
  EXPECT_EQ(gfx->NativeAuxRead(0x503, &byte, 1), 0);
  for (int call = 0; call < 3; ++call) {
    EXPECT_EQ(gfx->NativeAuxRead(0x503, &byte, 1), gfx_status::kVendorCallFailed);
  }
  EXPECT_EQ(gfx->GetErrorCode(), GfxLibSim::kTransportFaultCode);
}

}  // namespace
}  // namespace vexa::testing
