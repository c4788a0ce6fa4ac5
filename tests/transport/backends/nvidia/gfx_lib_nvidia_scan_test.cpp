#include <functional>

#include "engine/identification/chip_probe.h"
#include "tests/transport/backends/nvidia/nvidia_board_test.h"
#include "transport/backends/nvidia/gfx_lib_nvidia.h"
#include "transport/backends/nvidia/system_nvapi.h"

namespace vexa::testing {
namespace {

using namespace nvapi_status;

constexpr const char* kNoPort = "     ==> No available port!\r\n";

std::array<uint8_t, 64> PathOf(uint8_t seed) {
  std::array<uint8_t, 64> path{};
  for (size_t i = 0; i < path.size(); ++i) path[i] = static_cast<uint8_t>(seed + i);
  return path;
}

// Opening the driver: its status becomes the error code, with a text for the two statuses a
// machine without the driver or without an NVIDIA adapter gives.
struct InitCase {
  const char* name;
  friend void PrintTo(const InitCase& c, std::ostream* os) { *os << c.name; }
  int32_t driverStatus;
  int32_t result;
  const char* text;
};

class NvidiaInitialize : public ::testing::TestWithParam<InitCase> {};

TEST_P(NvidiaInitialize, RecordsTheDriverStatus) {
  const InitCase& c = GetParam();
  VirtualClock clock;
  SimNvDriver driver;
  driver.initializeStatus = c.driverStatus;
  SimNvapi nvapi(driver, clock);
  GfxLibNvidia nvidia(nvapi, clock, IspChipProbe());

  EXPECT_EQ(nvidia.Initialize(), c.result);
  EXPECT_EQ(nvidia.GetErrorCode(), c.driverStatus);
  EXPECT_EQ(nvidia.GetErrorText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, NvidiaInitialize,
    ::testing::Values(InitCase{"Opened", kOk, gfx_status::kSuccess, ""},
                      InitCase{"NoLibrary", kLibraryNotFound, gfx_status::kVendorCallFailed,
                               "Library not found!"},
                      InitCase{"NoAdapter", kNoNvidiaAdapter, gfx_status::kVendorCallFailed,
                               "Graphics adapter not found!"},
                      InitCase{"OtherStatus", kError, gfx_status::kVendorCallFailed,
                               "Init failed! (-1)"}),
    [](const auto& info) { return std::string(info.param.name); });

using NvidiaScan = NvidiaBoardTest;

TEST_F(NvidiaScan, FindsTheChipOnTheDisplayPortDisplay) {
  Open(OneGpu({BoardDisplay()}));
  report = "stale";
  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(report, "       DispId# 0x00001000: DP_External  ... OK\r\n");
  EXPECT_EQ(displayId, kDisplayId);
  EXPECT_EQ(nvidia->GetPortType(), "DP_External");
  EXPECT_EQ(nvidia->GetAdapterName(), "Simulated GPU");
  EXPECT_EQ(nvidia->GetDriverVersion(), "53112");
  EXPECT_EQ(nvidia->GetVendorName(), "NVidia");
  EXPECT_EQ(nvidia->GetErrorCode(), 0);
  ASSERT_EQ(nvidia->devices().size(), 1u);
  EXPECT_EQ(nvidia->devices()[0].displayId, kDisplayId);
}

// One display of one GPU, set up one way: the report fragment after its "DispId#" prefix, the
// scan's result and the port type it leaves.
struct DisplayCase {
  const char* name;
  friend void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.name; }
  std::function<void(SimNvDisplay&)> setUp;
  const char* line;
  int32_t result = gfx_status::kSuccess;
  const char* portType = "";
  int32_t probeMode = 1;
};

class NvidiaDisplayScan : public NvidiaBoardTest,
                          public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(NvidiaDisplayScan, ReportsTheDisplay) {
  const DisplayCase& c = GetParam();
  SimNvDisplay display = BoardDisplay();
  c.setUp(display);
  Open(OneGpu({display}));

  EXPECT_EQ(Scan(c.probeMode), c.result);
  const std::string expected = std::string("       DispId# 0x00001000: ") + c.line +
                               (c.result == gfx_status::kSuccess ? "" : kNoPort);
  EXPECT_EQ(report, expected);
  EXPECT_EQ(nvidia->GetPortType(), c.portType);
  EXPECT_EQ(nvidia->devices().size(), c.result == gfx_status::kSuccess ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Displays, NvidiaDisplayScan,
    ::testing::Values(
        DisplayCase{"NotConnected", [](SimNvDisplay& d) { d.physicallyConnected = false; },
                    "... not connected!\r\n", gfx_status::kNoTransport},
        DisplayCase{"NoDisplayHandle", [](SimNvDisplay& d) { d.displayHandleStatus = kError; },
                    "Getting DisplayHandle... failed! (-1)\r\n", gfx_status::kNoTransport},
        DisplayCase{"NoOutputId", [](SimNvDisplay& d) { d.outputIdStatus = kInvalidHandle; },
                    "Getting Associate DisplayId... failed! (-8)\r\n", gfx_status::kNoTransport},
        DisplayCase{"NoConnectorInfo",
                    [](SimNvDisplay& d) { d.connectorInfoStatus = kNoImplementation; },
                    "Getting Connector Info... failed! (-3)\r\n", gfx_status::kNoTransport},
        DisplayCase{"NoDpInfo", [](SimNvDisplay& d) { d.displayPortInfoStatus = kError; },
                    "DP_External  ... getting DP Info failed! (-1)\r\n", gfx_status::kNoTransport,
                    "DP_External"},
        DisplayCase{"NotDp",
                    [](SimNvDisplay& d) {
                      d.connectorTypes = {0x61};
                      d.displayPort = false;
                    },
                    "HDMI-A  ... not DP\r\n", gfx_status::kNoTransport, "HDMI-A"},
        DisplayCase{"NoConnector", [](SimNvDisplay& d) { d.connectorTypes = {}; },
                    "No connector  ... OK\r\n"},
        DisplayCase{"ThreeConnectors",
                    [](SimNvDisplay& d) {
                      d.connectorTypes = {0x31, 0x61, 0x48};
                    },
                    "Num of Connector = 3\r\n"
                    "         0: DVI-D\r\n"
                    "         1: HDMI-A\r\n"
                    "         2: DP_Mini\r\n"
                    "... OK\r\n"},
        // The record has room for four connectors: the count is reported, four are listed.
        DisplayCase{"FiveConnectors",
                    [](SimNvDisplay& d) {
                      d.connectorTypes = {0x00, 0x70, 0x46, 0x99, 0x47};
                    },
                    "Num of Connector = 5\r\n"
                    "         0: VGA\r\n"
                    "         1: Virtual WFD\r\n"
                    "         2: DP_External\r\n"
                    "         3: Unknown\r\n"
                    "... OK\r\n"},
        DisplayCase{"MstRoot",
                    [](SimNvDisplay& d) {
                      d.mstRoot = true;
                      d.topology = {{PathOf(1), 1}, {PathOf(2), 0}};
                    },
                    "DP_External  [MST Root-Node]  NodeType: HDMI ... OK\r\n", gfx_status::kSuccess,
                    "HDMI"},
        DisplayCase{"MstRootWithoutNodes", [](SimNvDisplay& d) { d.mstRoot = true; },
                    "DP_External  [MST Root-Node]           QueryDPTopology[1]... failed! (0)\r\n",
                    gfx_status::kNoTransport, "DP_External"},
        DisplayCase{"MstNodeCountFails",
                    [](SimNvDisplay& d) {
                      d.mstRoot = true;
                      d.topology = {{PathOf(1), 0}};
                      d.topologyCountStatus = kError;
                    },
                    "DP_External  [MST Root-Node]           QueryDPTopology[1]... failed! "
                    "(FFFFFFFF)\r\n",
                    gfx_status::kNoTransport, "DP_External"},
        DisplayCase{"MstNodesFail",
                    [](SimNvDisplay& d) {
                      d.mstRoot = true;
                      d.topology = {{PathOf(1), 0}};
                      d.topologyNodesStatus = kInvalidArgument;
                    },
                    "DP_External  [MST Root-Node]           QueryDPTopology[2]... failed! "
                    "(FFFFFFFB)\r\n",
                    gfx_status::kNoTransport, "DP_External"},
        DisplayCase{"NothingOnTheAuxChannel", [](SimNvDisplay& d) { d.board = nullptr; },
                    "DP_External  ... gfx failed! (1)\r\n", gfx_status::kNoTransport},
        DisplayCase{"BranchIdCheck", [](SimNvDisplay&) {},
                    "DP_External  ... DPCD branch ID string \"4100IR\" not matched!\r\n",
                    gfx_status::kNoTransport, "", 2},
        DisplayCase{"UnknownProbeMode", [](SimNvDisplay&) {}, "DP_External  ... \r\n",
                    gfx_status::kNoTransport, "", 3}),
    [](const auto& info) { return std::string(info.param.name); });

// A chip that never acknowledges the query is polled ten times; the probe's text names the
// address it used.
TEST_F(NvidiaScan, ChipThatNeverAcknowledgesIsReportedWithTheAddress) {
  sim::ChipConfig chip = ChipOf(sim::ChipModel::kOcelin4100);
  chip.faults.noAckOpcode = 0x0A;
  BuildBoard({SimChipSetup{chip, {}}, {}, {}}, {.auxLatency = std::chrono::microseconds(0)});
  Open(OneGpu({BoardDisplay()}));

  EXPECT_EQ(Scan(), gfx_status::kNoTransport);
  EXPECT_EQ(report,
            "       DispId# 0x00001000: DP_External  ... Wrong reply length! (DDC addr: 0x6E)\r\n" +
                std::string(kNoPort));
  EXPECT_EQ(nvidia->GetErrorText(), "Wrong reply length!");
}

TEST_F(NvidiaScan, EveryDisplayThatAnswersBecomesADeviceAndTheFirstIsSelected) {
  SimNvDisplay mst = BoardDisplay(0x2000);
  mst.mstRoot = true;
  mst.topology = {{PathOf(7), 0}};
  SimNvDisplay hdmi = BoardDisplay(0x3000);
  hdmi.displayPort = false;
  Open(OneGpu({mst, hdmi, BoardDisplay(0x4000)}));

  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(report,
            "       DispId# 0x00002000: DP_External  [MST Root-Node]  NodeType: DP ... OK\r\n"
            "       DispId# 0x00003000: DP_External  ... not DP\r\n"
            "       DispId# 0x00004000: DP_External  ... OK\r\n");
  EXPECT_EQ(displayId, 0x2000u);
  ASSERT_EQ(nvidia->devices().size(), 2u);
  EXPECT_EQ(nvidia->devices()[0].pathBlock, PathOf(7));
  // The display outside the topology was reached without the root's path block.
  EXPECT_EQ(nvidia->devices()[1].pathBlock, PathBlock{});
  EXPECT_EQ(nvidia->current().displayId, 0x2000u);
  EXPECT_EQ(nvidia->current().pathBlock, PathOf(7));

  // Transactions go to the selected display, with its path block.
  uint8_t byte = 0;
  EXPECT_EQ(nvidia->NativeAuxRead(0x503, &byte, 1), gfx_status::kSuccess);
  EXPECT_EQ(byte, '4');
  EXPECT_EQ(nvapi->auxCalls().back().displayId, 0x2000u);
}

TEST_F(NvidiaScan, WalksEveryGpuUntilOneHasTheChip) {
  SimNvDriver driver;
  driver.gpus.push_back({.fullName = "GPU A", .displays = {}, .displayCountStatus = kError});
  driver.gpus.push_back({.fullName = "GPU B", .displays = {BoardDisplay(0x10)}});
  driver.gpus.back().displays[0].board = nullptr;
  driver.gpus.push_back({.fullName = "GPU C", .displays = {BoardDisplay(0x20)}});
  driver.gpus.push_back({.fullName = "GPU D", .displays = {BoardDisplay(0x30)}});
  Open(driver);

  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(report,
            "  Num of GPU: 4\r\n"
            "     <GPU: 0>  Getting ConnectedDisplayID Count... failed! (-1)\r\n"
            "     <GPU: 1>         DispId# 0x00000010: DP_External  ... gfx failed! (1)\r\n" +
                std::string(kNoPort) +
                "     <GPU: 2>         DispId# 0x00000020: DP_External  ... OK\r\n");
  EXPECT_EQ(displayId, 0x20u);
  EXPECT_EQ(nvidia->GetAdapterName(), "GPU C");
}

TEST_F(NvidiaScan, GpuIdentityIsEmptyWhereTheDriverCannotTell) {
  SimNvDriver driver = OneGpu({BoardDisplay()});
  driver.driverVersionStatus = kNoImplementation;
  driver.gpus[0].fullNameStatus = kError;
  Open(driver);
  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(nvidia->GetAdapterName(), "");
  EXPECT_EQ(nvidia->GetDriverVersion(), "");
}

TEST_F(NvidiaScan, DriverFailuresOfTheWalkAreRecorded) {
  SimNvDriver enumFails = OneGpu({BoardDisplay()});
  enumFails.enumGpusStatus = kError;
  Open(enumFails);
  EXPECT_EQ(Scan(), gfx_status::kVendorCallFailed);
  EXPECT_EQ(report, "  Enum NV GPU failed!");
  EXPECT_EQ(nvidia->GetErrorCode(), kError);
  EXPECT_EQ(nvidia->GetErrorText(), "Enum NV GPU failed!");

  SimNvDriver idsFail = OneGpu({BoardDisplay()});
  idsFail.gpus[0].displayIdsStatus = kInvalidArgument;
  Open(idsFail);
  EXPECT_EQ(Scan(), gfx_status::kNoTransport);
  EXPECT_EQ(report, "Getting ConnectedDisplayID... failed! (-5)\r\n");
  EXPECT_EQ(nvidia->GetErrorCode(), kInvalidArgument);
  EXPECT_EQ(nvidia->GetErrorText(), "Getting ConnectedDisplayID... failed!");

  SimNvDriver countFails = OneGpu({BoardDisplay()});
  countFails.gpus[0].displayCountStatus = kInvalidHandle;
  Open(countFails);
  EXPECT_EQ(Scan(), gfx_status::kNoTransport);
  // The count failure sets the code alone.
  EXPECT_EQ(nvidia->GetErrorCode(), kInvalidHandle);
  EXPECT_EQ(nvidia->GetErrorText(), "");
}

TEST_F(NvidiaScan, ScanThatFindsNothingForgetsTheDevicesOfTheLastOne) {
  Open(OneGpu({BoardDisplay()}));
  ASSERT_EQ(Scan(), gfx_status::kSuccess);
  nvapi->driver().gpus[0].displays[0].board = nullptr;

  displayId = 0;
  EXPECT_EQ(Scan(), gfx_status::kNoTransport);
  EXPECT_TRUE(nvidia->devices().empty());
  EXPECT_EQ(report, "       DispId# 0x00001000: DP_External  ... gfx failed! (1)\r\n" +
                        std::string(kNoPort));
  EXPECT_EQ(displayId, 0u);
  EXPECT_EQ(nvidia->GetPortType(), "");
}

// A bogus display count from the driver is bounded: the scan neither asks for unbounded memory
// nor reads beyond what the driver filled.
TEST_F(NvidiaScan, BogusDisplayCountIsBounded) {
  SimNvDriver driver = OneGpu({BoardDisplay()});
  driver.gpus[0].claimedDisplayCount = 0xFFFFFFFF;
  Open(std::move(driver));
  EXPECT_EQ(Scan(), gfx_status::kSuccess) << report;
  EXPECT_EQ(displayId, kDisplayId);
}

TEST_F(NvidiaScan, GpuWithoutDisplaysHasNoPort) {
  Open(OneGpu({}));
  EXPECT_EQ(Scan(), gfx_status::kNoTransport);
  EXPECT_EQ(report, kNoPort);
}

}  // namespace
}  // namespace vexa::testing
