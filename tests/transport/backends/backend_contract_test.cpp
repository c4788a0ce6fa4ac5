// What holds for every backend, one table over them all.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "engine/run/isp_run.h"
#include "tests/sim/sim_board_fixture.h"
#include "tests/transport/backends/backend_bench.h"
#include "tools/image_files.h"

namespace vexa::testing {
namespace {

using sim::ChipModel;
using namespace std::chrono_literals;

class BackendContract : public SimBoardTest, public ::testing::WithParamInterface<BackendVariant> {
 protected:
  // Builds the backend of this row over the board built last.
  void Attach() {
    bench = GetParam().attach(*board, clock, GetParam().hostDdcAddr);
    ASSERT_NE(bench, nullptr);
    ctx.activeGfxLib = &bench->gfx();
  }

  std::unique_ptr<BackendBench> bench;
};

// Refused before the per-transaction reset: neither the vendor interface nor the board sees
// them, no time passes, and the record still describes the failure before.
TEST_P(BackendContract, BadArgumentsTouchNeitherTheVendorNorTheRecord) {
  BuildHostBoard({ChipOf(ChipModel::kOcelin4100), {}});
  Attach();
  GfxLib& gfx = bench->gfx();
  ASSERT_EQ(bench->FailATransaction(), gfx_status::kVendorCallFailed);
  const int32_t code = gfx.GetErrorCode();
  const std::string text = gfx.GetErrorText();
  ASSERT_FALSE(text.empty());
  const size_t calls = bench->VendorCalls();
  const uint64_t transactions = board->transactionCount();
  const auto elapsed = clock.Elapsed();

  uint8_t byte = 0;
  int32_t length = 0;
  EXPECT_EQ(gfx.NativeAuxRead(0x503, nullptr, 1), gfx_status::kInvalidArgument);
  EXPECT_EQ(gfx.NativeAuxRead(0x503, &byte, 0), gfx_status::kInvalidArgument);
  EXPECT_EQ(gfx.NativeAuxWrite(0x503, nullptr, 1), gfx_status::kInvalidArgument);
  EXPECT_EQ(gfx.NativeAuxWrite(0x503, &byte, 0), gfx_status::kInvalidArgument);
  EXPECT_EQ(gfx.DdcAuxWrite(0x6E, nullptr, 8), gfx_status::kInvalidArgument);
  EXPECT_EQ(gfx.DdcAuxWrite(0x6E, &byte, 0), gfx_status::kInvalidArgument);
  EXPECT_EQ(gfx.DdcAuxRead(0x6E, &byte, nullptr), gfx_status::kInvalidArgument);
  EXPECT_EQ(gfx.DdcAuxRead(0x6E, nullptr, &length), gfx_status::kInvalidArgument);

  EXPECT_EQ(bench->VendorCalls(), calls);
  EXPECT_EQ(board->transactionCount(), transactions);
  EXPECT_EQ(clock.Elapsed(), elapsed);
  EXPECT_EQ(gfx.GetErrorCode(), code);
  EXPECT_EQ(gfx.GetErrorText(), text);
}

// The board's latency is charged for every AUX transaction, whichever backend carried it: the
// same scan and transfers take exactly transactions x latency longer on a slower board.
TEST_P(BackendContract, EveryTransactionCostsTheBoardsLatency) {
  std::array<std::chrono::microseconds, 2> elapsed{};
  std::array<uint64_t, 2> transactions{};
  for (size_t i = 0; i < 2; ++i) {
    BuildHostBoard({ChipOf(ChipModel::kOcelin4100), {}}, {.auxLatency = i == 0 ? 0us : 300us});
    const auto start = clock.Elapsed();
    Attach();
    std::array<uint8_t, 40> bytes{};
    ASSERT_EQ(bench->gfx().NativeAuxRead(0x503, bytes.data(), 40), gfx_status::kSuccess);
    ASSERT_EQ(bench->gfx().NativeAuxWrite(0x600, bytes.data(), 1), gfx_status::kSuccess);
    elapsed[i] = std::chrono::duration_cast<std::chrono::microseconds>(clock.Elapsed() - start);
    transactions[i] = board->transactionCount();
  }
  ASSERT_EQ(transactions[0], transactions[1]);
  ASSERT_GT(transactions[1], 4u);
  EXPECT_EQ(elapsed[1] - elapsed[0], static_cast<int64_t>(transactions[1]) * 300us);
}

// The whole run through the backend: the scan finds the host chip, and host and both
// downstream chips (reached through the host's forwarding) end up with their new images.
TEST_P(BackendContract, RunUpdatesTheHostAndBothPorts) {
  const std::array<std::vector<uint8_t>, 3> newImages = BuildHostAndPorts(21);
  ctx.targets[kHostTarget].ddc2biAddr = GetParam().hostDdcAddr;
  Attach();
  for (size_t i = 0; i < newImages.size(); ++i) {
    StageTarget(i, DriverFile(kHostAndPortModels[i]), newImages[i]);
  }

  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_EQ(ctx.runStatus, RunStatus::kCompleted);
  ExpectHostAndPortsUpdated(newImages);
  EXPECT_EQ(bench->gfx().GetErrorCode(), 0) << bench->gfx().GetErrorText();
  bench->ExpectRunTraffic();
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendContract, ::testing::ValuesIn(kBackendVariants),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa::testing
