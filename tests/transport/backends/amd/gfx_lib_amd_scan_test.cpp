#include <set>
#include <utility>

#include "tests/transport/backends/amd/amd_backend_fixture.h"
#include "transport/backends/amd/adl_records.h"

namespace vexa::testing {
namespace {

constexpr int32_t kQuery = static_cast<int32_t>(ProbeMode::kDdc2biQuery);
constexpr int32_t kBranchId = static_cast<int32_t>(ProbeMode::kBranchIdCheck);
constexpr int32_t kConnectedOnly = 1;
constexpr int32_t kMappedOnly = 2;

class AmdScan : public AmdBackendTest {
 protected:
  int32_t Scan(int32_t probeMode = kQuery) {
    report = "stale";
    return amd->ScanPorts(probeMode, &displayId, 0x6E, &report);
  }

  // The displays the library's calls went to, as (adapter index, logical index).
  std::set<std::pair<int32_t, int32_t>> DisplaysReached() const {
    std::set<std::pair<int32_t, int32_t>> reached;
    for (const SimAdlCall& call : adl->calls())
      reached.insert({call.adapterIndex, call.displayIndex});
    return reached;
  }

  // Where the next transaction goes.
  std::pair<int32_t, int32_t> SelectedDisplay() {
    adl->ClearCalls();
    uint8_t byte = 0;
    EXPECT_EQ(amd->NativeAuxRead(0x503, &byte, 1), gfx_status::kSuccess);
    return {adl->calls().at(0).adapterIndex, adl->calls().at(0).displayIndex};
  }

  uint32_t displayId = 0;
  std::string report;
};

// Inactive adapters and displays not in use are passed over silently; a display without
// DisplayPort AUX is reported and not probed; the first display that answers ends the
// adapter's walk and is selected. Adapters are numbered by their place in the library's list.
TEST_F(AmdScan, WalksAdaptersAndDisplaysAndSelectsTheOneThatAnswers) {
  SimAdlMachine machine;
  machine.adapters.push_back(
      {.adapterIndex = 2, .name = "Idle", .active = false, .displays = {{.board = ExtraBoard()}}});
  machine.adapters.push_back(
      {.adapterIndex = 7,
       .name = "Radeon Sim",
       .displays = {
           {.logicalIndex = 0, .connectorType = kHdmiConnector},
           {.logicalIndex = 1, .flags = kConnectedOnly, .board = ExtraBoard()},
           {.logicalIndex = -1, .board = ExtraBoard()},
           {.logicalIndex = 2, .connectorType = kEdpConnector},
           // Mapped but not connected: in use needs both bits.
           {.logicalIndex = 3, .flags = kMappedOnly, .board = ExtraBoard()},
           {.logicalIndex = 4, .board = ExtraBoard()},
           {.logicalIndex = 5, .board = ExtraBoard()},
       }});
  Open(std::move(machine));

  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(report,
            "     Active Adapter# 1 [Radeon Sim]:  \r\n"
            "        LogicId# 0 [HDMI-TypeA]:  not DP\r\n"
            "        LogicId# 2 [eDP]:  DdcAuxWrite... failed! (-1)\r\nFailed!\r\n"
            "        LogicId# 4 [DP]:  OK\r\n");
  EXPECT_EQ(displayId, 0x00070004u);
  EXPECT_EQ(amd->GetPortType(), "DP");
  EXPECT_EQ(DisplaysReached(), (std::set<std::pair<int32_t, int32_t>>{{7, 2}, {7, 4}}));
  EXPECT_EQ(SelectedDisplay(), std::make_pair(7, 4));
}

// Every active adapter is walked: with the chip on two adapters, the second one is selected.
TEST_F(AmdScan, ChipOnTwoAdaptersSelectsTheSecond) {
  SimAdlMachine machine;
  machine.adapters.push_back(
      {.adapterIndex = 1, .name = "A", .displays = {{.board = ExtraBoard()}}});
  machine.adapters.push_back(
      {.adapterIndex = 2, .name = "B", .displays = {{.logicalIndex = 6, .board = ExtraBoard()}}});
  Open(std::move(machine));

  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(report,
            "     Active Adapter# 0 [A]:  \r\n"
            "        LogicId# 0 [DP]:  OK\r\n"
            "     Active Adapter# 1 [B]:  \r\n"
            "        LogicId# 6 [DP]:  OK\r\n");
  EXPECT_EQ(displayId, 0x00020006u);
  EXPECT_EQ(SelectedDisplay(), std::make_pair(2, 6));
}

// A display probed after the chip answered, failing, does not undo the find: the scan
// succeeds with the port, its id and its connector name where the chip answered.
TEST_F(AmdScan, LaterFailingProbeKeepsThePortWhereTheChipAnswered) {
  SimAdlMachine machine;
  machine.adapters.push_back(
      {.adapterIndex = 1, .name = "A", .displays = {{.board = ExtraBoard()}}});
  machine.adapters.push_back({.adapterIndex = 3,
                              .name = "B",
                              .displays = {{.logicalIndex = 0, .connectorType = kHdmiConnector},
                                           {.logicalIndex = 1, .connectorType = kEdpConnector}}});
  Open(std::move(machine));

  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(report,
            "     Active Adapter# 0 [A]:  \r\n"
            "        LogicId# 0 [DP]:  OK\r\n"
            "     Active Adapter# 1 [B]:  \r\n"
            "        LogicId# 0 [HDMI-TypeA]:  not DP\r\n"
            "        LogicId# 1 [eDP]:  DdcAuxWrite... failed! (-1)\r\nFailed!\r\n");
  EXPECT_EQ(displayId, 0x00010000u);
  EXPECT_EQ(amd->GetPortType(), "DP");
  // The record describes the probe that found the chip, not the later failure.
  EXPECT_EQ(amd->GetErrorCode(), 0);
  EXPECT_EQ(amd->GetErrorText(), "");
  EXPECT_EQ(SelectedDisplay(), std::make_pair(1, 0));
}

// The driver writes adapter names in the system's code page (Latin-1 off Windows); they reach
// the report as UTF-8 instead of as question marks.
TEST_F(AmdScan, AdapterNameIsDecodedFromTheCodePage) {
  SimAdlMachine machine;
  machine.adapters.push_back(
      {.adapterIndex = 1, .name = "Radeon\xAE S\xE9rie", .displays = {{.board = ExtraBoard()}}});
  Open(std::move(machine));
  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_TRUE(report.starts_with("     Active Adapter# 0 [Radeon\xC2\xAE S\xC3\xA9rie]:"))
      << report;
}

// Counts the library reports are believed only as far as what it allocated reaches.
TEST_F(AmdScan, BogusCountsAreBounded) {
  SimAdlMachine machine;
  machine.adapters.push_back({.adapterIndex = 1,
                              .name = "A",
                              .claimedDisplayCount = 100000,
                              .displays = {{.board = ExtraBoard()}}});
  Open(std::move(machine));
  EXPECT_EQ(Scan(), gfx_status::kSuccess);
  EXPECT_EQ(report,
            "     Active Adapter# 0 [A]:  \r\n"
            "        LogicId# 0 [DP]:  OK\r\n");
}

// Each failed display's line quotes its own probe's failure, not the first one of the scan.
TEST_F(AmdScan, EachFailedLineQuotesItsOwnProbe) {
  sim::ChipConfig silentChip = ChipOf(sim::ChipModel::kOcelin4100);
  silentChip.faults.noAckOpcode = 0x0A;
  Open(OneAdapter({{.logicalIndex = 0}, {.logicalIndex = 1, .board = ExtraBoard(silentChip)}}));

  EXPECT_EQ(Scan(), gfx_status::kReplyRejected);
  EXPECT_EQ(report,
            "     Active Adapter# 0 [Radeon Sim]:  \r\n"
            "        LogicId# 0 [DP]:  DdcAuxWrite... failed! (-1)\r\nFailed!\r\n"
            "        LogicId# 1 [DP]:  Got NULL msg!\r\nFailed!\r\n"
            "     ==> No available port!\r\n");
  EXPECT_EQ(amd->GetErrorText(), "Got NULL msg!");
}

// A scan that finds no chip: its result, report, record and port type.
struct NoChipCase {
  const char* name;
  friend void PrintTo(const NoChipCase& c, std::ostream* os) { *os << c.name; }
  // The machine, given a board with the chip for the displays that have one.
  SimAdlMachine (*machine)(sim::Board* chip);
  int32_t probeMode;
  int32_t status;
  const char* report;
  int32_t errorCode;
  const char* errorText;
  const char* portType;
};

class AmdScanFindsNoChip : public AmdScan, public ::testing::WithParamInterface<NoChipCase> {};

TEST_P(AmdScanFindsNoChip, ReportsWhy) {
  const NoChipCase& c = GetParam();
  Open(c.machine(ExtraBoard()));
  displayId = 0x1234;
  EXPECT_EQ(Scan(c.probeMode), c.status);
  EXPECT_EQ(report, c.report);
  EXPECT_EQ(amd->GetErrorCode(), c.errorCode);
  EXPECT_EQ(amd->GetErrorText(), c.errorText);
  EXPECT_EQ(amd->GetPortType(), c.portType);
  EXPECT_EQ(displayId, 0x1234u);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, AmdScanFindsNoChip,
    ::testing::Values(
        NoChipCase{"NoDisplayPort",
                   [](sim::Board*) { return OneAdapter({{.connectorType = kHdmiConnector}}); },
                   kQuery, gfx_status::kNoChipFound,
                   "     Active Adapter# 0 [Radeon Sim]:  \r\n"
                   "        LogicId# 0 [HDMI-TypeA]:  not DP\r\n"
                   "     ==> No available port!\r\n",
                   0, "", "HDMI-TypeA"},
        NoChipCase{"NothingAnswers", [](sim::Board*) { return OneAdapter({{}}); }, kQuery,
                   gfx_status::kVendorCallFailed,
                   "     Active Adapter# 0 [Radeon Sim]:  \r\n"
                   "        LogicId# 0 [DP]:  DdcAuxWrite... failed! (-1)\r\nFailed!\r\n"
                   "     ==> No available port!\r\n",
                   -1, "DdcAuxWrite... failed! (-1)", ""},
        NoChipCase{"BranchIdNotMatched",
                   [](sim::Board* chip) { return OneAdapter({{.board = chip}}); }, kBranchId,
                   gfx_status::kNoChipFound,
                   "     Active Adapter# 0 [Radeon Sim]:  \r\n"
                   "        LogicId# 0 [DP]:  DPCD branch ID string \"4100IR\" not matched!\r\n"
                   "Failed!\r\n"
                   "     ==> No available port!\r\n",
                   0, "DPCD branch ID string \"4100IR\" not matched!", ""},
        NoChipCase{"NoActiveAdapter",
                   [](sim::Board* chip) {
                     SimAdlMachine machine = OneAdapter({{.board = chip}});
                     machine.adapters[0].active = false;
                     machine.adapters.push_back({.adapterIndex = 9, .activeResult = -1});
                     return machine;
                   },
                   kQuery, gfx_status::kVendorCallFailed,
                   "     AMD Adapter num = 2  (All not active! Gfx driver may not be ready!)\r\n"
                   "     ==> No available port!\r\n",
                   GfxLibAmd::kOwnErrorCode,
                   "     AMD Adapter num = 2  (All not active! Gfx driver may not be ready!)\r\n",
                   ""},
        NoChipCase{"NoDisplayInformation",
                   [](sim::Board* chip) {
                     SimAdlMachine machine = OneAdapter({{.board = chip}});
                     machine.adapters[0].displayInfoResult = -8;
                     return machine;
                   },
                   kQuery, gfx_status::kVendorCallFailed,
                   "     Active Adapter# 0:  Getting DisplayInfo... failed! (-8)\r\n"
                   "     AMD Adapter num = 1  (All not active! Gfx driver may not be ready!)\r\n"
                   "     ==> No available port!\r\n",
                   GfxLibAmd::kOwnErrorCode,
                   "     AMD Adapter num = 1  (All not active! Gfx driver may not be ready!)\r\n",
                   ""},
        NoChipCase{"NoAdapterCount",
                   [](sim::Board* chip) {
                     SimAdlMachine machine = OneAdapter({{.board = chip}});
                     machine.adapterCountResult = -4;
                     return machine;
                   },
                   kQuery, gfx_status::kVendorCallFailed, "", -4,
                   "Getting NumberOfAdapters... failed!", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AdlConnectorName, NamesTheKnownTypesAndNumbersTheOthers) {
  const std::vector<std::pair<int32_t, const char*>> names = {
      {0, "Unknown"},     {1, "VGA"},      {2, "DVI-D"},      {3, "DVI-I"},      {10, "HDMI-TypeA"},
      {11, "HDMI-TypeB"}, {12, "S-Video"}, {13, "Composite"}, {14, "Component"}, {15, "DP"},
      {16, "eDP"},        {4, "4"},        {17, "17"},        {-3, "-3"}};
  for (const auto& [type, name] : names) EXPECT_EQ(adl::ConnectorName(type), name) << type;
}

}  // namespace
}  // namespace vexa::testing
