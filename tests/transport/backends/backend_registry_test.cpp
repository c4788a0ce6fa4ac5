#include "transport/backends/backend_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/identification/chip_probe.h"
#include "util/clock.h"

#ifndef _WIN32

namespace vexa::testing {
namespace {

TEST(BackendRegistry, ListsTheVendorsInTheAutomaticOrder) {
  std::vector<AdapterType> types;
  for (const BackendEntry& entry : BackendRegistry()) types.push_back(entry.type);
  EXPECT_EQ(types, (std::vector<AdapterType>{AdapterType::kNvidia, AdapterType::kAmd,
                                             AdapterType::kIntel}));
}

// Off Windows every registry backend runs over a stand-in of its driver interface that fails
// as a machine without the vendor's driver does: opening fails with the vendor's own code and
// text, and a scan finds nothing.
TEST(BackendRegistry, EachBackendFailsAsAMachineWithoutItsDriver) {
  struct Row {
    AdapterType type;
    std::string vendor;
    int32_t code;
    std::string text;
    // How the scan report ends; empty where the backend writes none without its driver.
    std::string scanReportEnd;
  };
  const Row rows[] = {
      {AdapterType::kNvidia, "NVidia", -2, "Library not found!", ""},
      {AdapterType::kAmd, "AMD", -2, "Loading DLL... failed!", ""},
      {AdapterType::kIntel, "Intel", -1, "Gfx init failed! (Err code: 0xFFFF)",
       "     Device ID: 0x0F: Gfx Error! (Err code: 0xFFFF)\r\n"
       "     ==> No available port!\r\n"},
  };
  VirtualClock clock;
  ASSERT_EQ(BackendRegistry().size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    ASSERT_EQ(BackendRegistry()[i].type, row.type);
    const auto gfx = BackendRegistry()[i].make(clock, IspChipProbe());
    EXPECT_EQ(gfx->GetVendorName(), row.vendor);
    EXPECT_EQ(gfx->Initialize(), gfx_status::kVendorCallFailed) << row.vendor;
    EXPECT_EQ(gfx->GetErrorCode(), row.code) << row.vendor;
    EXPECT_EQ(gfx->GetErrorText(), row.text) << row.vendor;

    uint32_t displayId = 0;
    std::string report;
    EXPECT_NE(gfx->ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kSuccess) << row.vendor;
    EXPECT_EQ(displayId, 0u) << row.vendor;
    if (!row.scanReportEnd.empty()) {
      EXPECT_TRUE(report.ends_with(row.scanReportEnd)) << report;
    }
  }
}

// This machine has none of the vendor drivers: every backend fails to open, as on a PC
// without them, and detection ends with no transport.
TEST(BackendRegistry, MachineWithoutVendorDriversReportsEachBackend) {
  VirtualClock clock;
  SystemBackends system(clock, IspChipProbe());
  AdapterDetector detector(system.Backends(), AdapterType::kAuto);
  uint32_t displayId = 0;
  std::string report;
  EXPECT_EQ(detector.DetectAdapter(&displayId, 0x6E, &report), detect_result::kInitFailed);
  EXPECT_EQ(detector.ActiveTransport(), nullptr);
  EXPECT_EQ(report,
            "Graphics adapter initialization:\r\n"
            "Auto scan graphics adapter (DDC2bi addr: 0x6E)...\r\n"
            "  NVidia: Library not found!\r\n"
            "  AMD: Loading DLL... failed!\r\n"
            "  Intel: Gfx init failed! (Err code: 0xFFFF)\r\n");
}

}  // namespace
}  // namespace vexa::testing
#endif
