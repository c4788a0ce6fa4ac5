#include "transport/backends/sim/gfx_lib_sim.h"

#include "engine/run/aux_forwarding.h"
#include "testing/ddc_frames.h"
#include "testing/scripted_gfx.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using namespace std::chrono_literals;
using sim::ChipModel;

class GfxLibSimTest : public SimBoardTest {
 protected:
  void SetUp() override {
    BuildBoard({SimChipSetup{ChipOf(ChipModel::kOcelin4100), {}}, {}, {}}, {.auxLatency = 300us});
  }
};

TEST_F(GfxLibSimTest, ScanFindsTheChipThatAcknowledgesAtTheAddress) {
  uint32_t displayId = 0;
  std::string report = "stale";
  EXPECT_EQ(gfx->ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kSuccess);
  EXPECT_EQ(displayId, GfxLibSim::kPortDisplayId);
  EXPECT_EQ(report, "Simulated board, port 1 (DisplayPort): chip found\r\n");
  EXPECT_EQ(gfx->GetPortType(), "DisplayPort");
  EXPECT_EQ(gfx->GetVendorName(), "Simulator");
}

TEST_F(GfxLibSimTest, ScanAtAnAddressNoChipListensAtFindsNone) {
  uint32_t displayId = 0;
  std::string report;
  EXPECT_EQ(gfx->ScanPorts(1, &displayId, 0x70, &report), gfx_status::kNoChipFound);
  EXPECT_EQ(displayId, 0u);
  EXPECT_EQ(report,
            "Simulated board, port 1 (DisplayPort): no chip answered\r\n"
            "     ==> No available port!\r\n");
  EXPECT_EQ(gfx->GetErrorCode(), GfxLibSim::kNoAnswerCode);
  EXPECT_EQ(gfx->GetPortType(), "");
}

// Each AUX transaction carries at most 16 bytes and costs the board's latency: that is the
// simulated time a run reports.
TEST_F(GfxLibSimTest, EveryAuxTransactionCostsTheLatency) {
  std::array<uint8_t, 40> dpcd{};
  EXPECT_EQ(gfx->NativeAuxRead(0x500, dpcd.data(), 40), 0);
  EXPECT_EQ(board->transactionCount(), 3u);
  EXPECT_EQ(clock.Elapsed(), 900us);

  const auto open = Bytes("51 85 C2 00 00 03 09 72");
  EXPECT_EQ(gfx->DdcAuxWrite(0x6E, open.data(), 8), 0);
  std::array<uint8_t, kMaxDdcReplySize> reply{};
  int32_t length = 0;
  EXPECT_EQ(gfx->DdcAuxRead(0x6E, reply.data(), &length), 0);
  // The reply's two length bytes, then its other six.
  EXPECT_EQ(board->transactionCount(), 6u);
  EXPECT_EQ(clock.Elapsed(), 1800us);
  EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + length), AckReply(0x6E));

  // The reply was taken: the chip has nothing more to say.
  EXPECT_EQ(gfx->DdcAuxRead(0x6E, reply.data(), &length), 0);
  EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + length), NullMessage(0x6E));
}

// The record describes the last transaction: a failure is recorded with its address, and the
// next transaction starts from a clean record.
TEST_F(GfxLibSimTest, ErrorRecordDescribesTheLastTransaction) {
  ctx.currentDdcAddr = sim::kHostCommandAddr;
  ASSERT_TRUE(EnableAuxForwarding(ctx, 1));
  uint8_t byte = 0;
  EXPECT_EQ(gfx->NativeAuxRead(0x503, &byte, 1), gfx_status::kVendorCallFailed);
  EXPECT_EQ(gfx->GetErrorCode(), GfxLibSim::kNoAnswerCode);
  EXPECT_EQ(gfx->GetErrorText(), "DPCD read at 0x503: no answer (AUX NACK)");

  ASSERT_TRUE(CancelAuxForwarding(ctx, 1));
  EXPECT_EQ(gfx->NativeAuxRead(0x503, &byte, 1), gfx_status::kSuccess);
  EXPECT_EQ(gfx->GetErrorCode(), 0);
  EXPECT_EQ(gfx->GetErrorText(), "");
}

}  // namespace
}  // namespace vexa::testing
