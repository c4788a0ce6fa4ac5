#include "engine/run/isp_run.h"
#include "tests/transport/backends/intel/intel_board_fixture.h"

namespace vexa::testing {
namespace {

struct UpdateCase {
  const char* name;
  friend void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }
  uint32_t deviceId;
  SimRecordKind kind;
};

class IntelUpdate : public IntelBoardTest, public ::testing::WithParamInterface<UpdateCase> {};

// The whole update through the Intel backend: the scan finds the chip, and the run downloads
// and boots the driver, erases and writes every block, in the record layout of the device the
// chip sits behind.
TEST_P(IntelUpdate, WritesTheNewImage) {
  const UpdateCase& c = GetParam();
  driver.setup().sinks = {{c.deviceId, board.get()}};
  ASSERT_EQ(intel.Initialize(), gfx_status::kSuccess);
  uint32_t displayId = 0;
  std::string report;
  ASSERT_EQ(intel.ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kSuccess) << report;
  ASSERT_EQ(displayId, c.deviceId);
  ctx.activeGfxLib = &intel;
  driver.ClearCalls();

  const std::vector<uint8_t> image =
      BinImage(ImageOptions(sim::ChipModel::kOcelin4100, {0x02, 0x01, 0x05}, {}, 7));
  StageTarget(kHostTarget, DriverFile(sim::ChipModel::kOcelin4100), image);
  EXPECT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  EXPECT_TRUE(FlashOf(sim::BoardSlot::kHost) == image);

  ASSERT_FALSE(driver.calls().empty());
  for (const SimCuiCall& call : driver.calls()) {
    ASSERT_EQ(call.kind, c.kind);
    ASSERT_EQ(call.deviceId, c.deviceId);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, IntelUpdate,
    ::testing::Values(UpdateCase{"DisplayPortOutput", kDpDisplay, SimRecordKind::kStandard},
                      UpdateCase{"LsPconDevice", 0x0E, SimRecordKind::kLsPcon}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa::testing
