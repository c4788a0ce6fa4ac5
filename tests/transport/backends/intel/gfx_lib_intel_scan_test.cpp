#include "tests/transport/backends/intel/intel_board_fixture.h"

namespace vexa::testing {
namespace {

using sim_display::kActive;
using sim_display::kAttached;

// Two adapters: a CRT (no AUX), an HDMI output with nothing attached and the DisplayPort
// output kDpDisplay on the first; an HDMI output and an external flat panel on the second.
class IntelScanTest : public IntelBoardTest {
 protected:
  void SetUp() override {
    IntelBoardTest::SetUp();
    driver.setup().adapters = {
        {"\\\\.\\DISPLAY1",
         "Graphics Adapter A",
         {{0x0100, sim_display::kCrt, kAttached | kActive},
          {0x0200, sim_display::kHdmi, kActive},
          {kDpDisplay, sim_display::kDisplayPort, kAttached | kActive}}},
        {"\\\\.\\DISPLAY2",
         "Graphics Adapter B",
         {{0x0400, sim_display::kHdmi, kAttached},
          {0x0500, sim_display::kExternalFlatPanel, kAttached}}},
    };
    ASSERT_EQ(intel.Initialize(), gfx_status::kSuccess);
  }

  void PutBoardBehind(uint32_t deviceId) { driver.setup().sinks = {{deviceId, board.get()}}; }

  int32_t Scan(uint32_t preset = 0, int32_t probeMode = 1) {
    displayId = preset;
    report = "stale";
    return intel.ScanPorts(probeMode, &displayId, 0x6E, &report);
  }

  // The device id of the next request.
  uint32_t CurrentDeviceId() {
    driver.ClearCalls();
    uint8_t byte = 0;
    intel.NativeAuxRead(0x503, &byte, 1);
    return driver.calls().at(0).deviceId;
  }

  uint32_t displayId = 0;
  std::string report;
};

constexpr const char* kDisplayLinesWithoutChip =
    "     Device GUID: 0x100 [CRT]... N/A\r\n"
    "     Device GUID: 0x200 [HDMI]... not attached!\r\n"
    "     Device GUID: 0x300 [DP]... Gfx error! (AUX timeout)\r\n"
    "     Device GUID: 0x400 [HDMI]... Gfx error! (AUX timeout)\r\n"
    "     Device GUID: 0x500 [External FP]... Gfx error! (AUX timeout)\r\n";

// Every display is reported, also after the chip answered; requests then go to the display
// where it answered.
TEST_F(IntelScanTest, SelectsTheDisplayWhereTheChipAnswers) {
  PutBoardBehind(kDpDisplay);
  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(displayId, kDpDisplay);
  EXPECT_EQ(report,
            "     Device GUID: 0x100 [CRT]... N/A\r\n"
            "     Device GUID: 0x200 [HDMI]... not attached!\r\n"
            "     Device GUID: 0x300 [DP]... OK\r\n"
            "     Device GUID: 0x400 [HDMI]... Gfx error! (AUX timeout)\r\n"
            "     Device GUID: 0x500 [External FP]... Gfx error! (AUX timeout)\r\n");
  EXPECT_EQ(intel.GetPortType(), "DP");
  EXPECT_EQ(intel.GetPortStatus(), "");
  EXPECT_EQ(intel.GetAdapterName(), "Graphics Adapter B");
  EXPECT_EQ(intel.GetVendorName(), "Intel");
  EXPECT_EQ(CurrentDeviceId(), kDpDisplay);
}

TEST_F(IntelScanTest, FallsBackToTheLsPconDevices) {
  PutBoardBehind(0x0E);
  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(displayId, 0x0Eu);
  EXPECT_EQ(report, std::string(kDisplayLinesWithoutChip) +
                        "     Device ID: 0x0C: Gfx Error! (AUX timeout)\r\n"
                        "     Device ID: 0x0D: Gfx Error! (AUX timeout)\r\n"
                        "     Device ID: 0x0E: OK\r\n");
  EXPECT_EQ(intel.GetPortType(), "LS-PCON");
  EXPECT_EQ(intel.GetPortStatus(), "");

  // The selection survives closing and reopening the driver, as around a run.
  intel.Uninitialize();
  ASSERT_EQ(intel.Initialize(), gfx_status::kSuccess);
  EXPECT_EQ(CurrentDeviceId(), 0x0Eu);
  EXPECT_EQ(driver.calls().at(0).kind, SimRecordKind::kLsPcon);
}

TEST_F(IntelScanTest, NoChipAnywhereEndsWithNoAvailablePort) {
  EXPECT_EQ(Scan(), gfx_status::kVendorCallFailed);
  EXPECT_EQ(displayId, 0u);
  EXPECT_EQ(report, std::string(kDisplayLinesWithoutChip) +
                        "     Device ID: 0x0C: Gfx Error! (AUX timeout)\r\n"
                        "     Device ID: 0x0D: Gfx Error! (AUX timeout)\r\n"
                        "     Device ID: 0x0E: Gfx Error! (AUX timeout)\r\n"
                        "     Device ID: 0x0F: Gfx Error! (AUX timeout)\r\n"
                        "     ==> No available port!\r\n");
  EXPECT_EQ(intel.GetPortType(), "LS-PCON");
  EXPECT_EQ(intel.GetPortStatus(), "Gfx Error");
  EXPECT_EQ(CurrentDeviceId(), 0x0Fu);
}

// A driver without LS-PCON support refuses the record's GUID: the scan stops at once.
TEST_F(IntelScanTest, DriverWithoutLsPconSupportStopsTheLsPconScan) {
  driver.setup().lsPconSupported = false;
  EXPECT_EQ(Scan(), gfx_status::kVendorCallFailed);
  EXPECT_EQ(report, std::string(kDisplayLinesWithoutChip) +
                        "     Device ID: 0x0C: Not Supported!\r\n"
                        "     ==> No available port!\r\n");
  EXPECT_EQ(intel.GetPortStatus(), "Unsupported");
  EXPECT_EQ(intel.GetErrorCode(), 5);
}

// A preset the driver does not report selects nothing, even where the chip answers, and
// rules out the LS-PCON scan.
TEST_F(IntelScanTest, PresetDisplayTheDriverDoesNotReportIsInvalid) {
  PutBoardBehind(kDpDisplay);
  EXPECT_EQ(Scan(0x0600), gfx_status::kNoChipFound);
  EXPECT_EQ(displayId, 0x0600u);
  EXPECT_EQ(report,
            "     Device GUID: 0x100 [CRT]... N/A\r\n"
            "     Device GUID: 0x200 [HDMI]... not attached!\r\n"
            "     Device GUID: 0x300 [DP]... OK\r\n"
            "     Device GUID: 0x400 [HDMI]... Gfx error! (AUX timeout)\r\n"
            "     Device GUID: 0x500 [External FP]... Gfx error! (AUX timeout)\r\n"
            "     ==> User setting (0x0600) is invalid!\r\n");
  EXPECT_EQ(intel.GetPortType(), "");
}

TEST_F(IntelScanTest, PresetDisplayNotAttachedShowsItsStatus) {
  PutBoardBehind(kDpDisplay);
  EXPECT_EQ(Scan(0x0200), gfx_status::kNoChipFound);
  EXPECT_TRUE(report.ends_with("     ==> User setting (0x0200) is invalid!\r\n")) << report;
  EXPECT_EQ(intel.GetPortType(), "HDMI");
  EXPECT_EQ(intel.GetPortStatus(), "Not attached");
}

TEST_F(IntelScanTest, PresetLsPconDeviceIsTheOnlyOneProbed) {
  PutBoardBehind(0x0D);
  EXPECT_EQ(Scan(0x0D), gfx_status::kSuccess);
  EXPECT_EQ(displayId, 0x0Du);
  EXPECT_EQ(report, std::string(kDisplayLinesWithoutChip) + "     Device ID: 0x0D: OK\r\n");
}

// How a probe that reached a device but found no chip is reported, per probe mode and scan.
struct QueryErrorCase {
  const char* name;
  friend void PrintTo(const QueryErrorCase& c, std::ostream* os) { *os << c.name; }
  int32_t probeMode;
  uint32_t deviceId;
  const char* line;
};

class QueryErrors : public IntelScanTest, public ::testing::WithParamInterface<QueryErrorCase> {};

TEST_P(QueryErrors, NameTheAddressOrTheProbesText) {
  const QueryErrorCase& c = GetParam();
  // The chip ignores the query command, so it only ever answers null messages; with an erased
  // flash it runs its ROM, whose branch ID is "4100IR".
  sim::ChipConfig chip = ChipOf(sim::ChipModel::kOcelin4100);
  chip.faults.noAckOpcode = 0x0A;
  BuildHostBoard({chip, {}});
  PutBoardBehind(c.deviceId);

  EXPECT_NE(Scan(c.deviceId, c.probeMode), gfx_status::kSuccess);
  EXPECT_NE(report.find(c.line), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(
    ProbeModes, QueryErrors,
    ::testing::Values(
        QueryErrorCase{"QueryOnDisplay", 1, kDpDisplay,
                       "     Device GUID: 0x300 [DP]... Query error by DDC Addr 0x6E\r\n"},
        QueryErrorCase{"QueryOnLsPcon", 1, 0x0C,
                       "     Device ID: 0x0C: Query Error! (7) by DDC Addr (0x6E)\r\n"},
        QueryErrorCase{"BranchIdOnDisplay", 2, kDpDisplay,
                       "     Device GUID: 0x300 [DP]... Query error! (DPCD branch ID string "
                       "\"4100IR\" not matched!)\r\n"},
        QueryErrorCase{"BranchIdOnLsPcon", 2, 0x0C,
                       "     Device ID: 0x0C: Query error! (DPCD branch ID string \"4100IR\" "
                       "not matched!)\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Without the driver object the adapters show no displays (enumerating them needs the object)
// and every LS-PCON request fails with code -1.
TEST_F(IntelScanTest, ScanWithoutTheDriverObjectProbesOnlyLsPconDevices) {
  PutBoardBehind(kDpDisplay);
  intel.Uninitialize();
  EXPECT_EQ(Scan(), gfx_status::kVendorCallFailed);
  EXPECT_EQ(report,
            "     Device ID: 0x0C: Gfx Error! (Err code: 0xFFFF)\r\n"
            "     Device ID: 0x0D: Gfx Error! (Err code: 0xFFFF)\r\n"
            "     Device ID: 0x0E: Gfx Error! (Err code: 0xFFFF)\r\n"
            "     Device ID: 0x0F: Gfx Error! (Err code: 0xFFFF)\r\n"
            "     ==> No available port!\r\n");
  EXPECT_TRUE(driver.calls().empty());
}

}  // namespace
}  // namespace vexa::testing
