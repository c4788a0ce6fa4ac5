#include "transport/backends/backend_registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/identification/chip_probe.h"
#include "testing/scratch_dir.h"
#include "util/clock.h"

#ifndef _WIN32

namespace vexa::testing {
namespace {

// The Linux backend reads the kernel's tree where the environment puts it: here an empty one,
// a machine without DP AUX nodes.
class BackendRegistry : public ::testing::Test {
 protected:
  BackendRegistry() {
    ::setenv("VEXA_SYSFS_ROOT", dir_.path().c_str(), 1);
    ::setenv("VEXA_DEV_ROOT", dir_.path().c_str(), 1);
  }
  ~BackendRegistry() override {
    ::unsetenv("VEXA_SYSFS_ROOT");
    ::unsetenv("VEXA_DEV_ROOT");
  }
  std::string NoAuxDeviceText() const {
    return "No DP AUX device in " + dir_.path().string() +
           "/class/drm_dp_aux_dev: the kernel needs the option DRM_DISPLAY_DP_AUX_CHARDEV "
           "(DRM_DP_AUX_CHARDEV on older kernels)";
  }

 private:
  const ScratchDir dir_;
};

TEST_F(BackendRegistry, ListsTheVendorsInTheAutomaticOrder) {
  std::vector<AdapterType> types;
  for (const BackendEntry& entry : vexa::BackendRegistry()) types.push_back(entry.type);
  EXPECT_EQ(types, (std::vector<AdapterType>{AdapterType::kNvidia, AdapterType::kAmd,
                                             AdapterType::kIntel, AdapterType::kLinux}));
}

// Off Windows every registry backend runs over a stand-in of its driver interface that fails
// as a machine without the vendor's driver does: opening fails with the vendor's own code and
// text, and a scan finds nothing.
TEST_F(BackendRegistry, EachBackendFailsAsAMachineWithoutItsDriver) {
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
      {AdapterType::kLinux, "Linux DRM", -3, NoAuxDeviceText(), "     ==> No available port!\r\n"},
  };
  VirtualClock clock;
  ASSERT_EQ(vexa::BackendRegistry().size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    ASSERT_EQ(vexa::BackendRegistry()[i].type, row.type);
    const auto gfx = vexa::BackendRegistry()[i].make(clock, IspChipProbe());
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

// This machine has none of the vendor drivers nor DP AUX nodes: every backend fails to open, as
// on a PC without them, and detection ends with no transport.
TEST_F(BackendRegistry, MachineWithoutVendorDriversReportsEachBackend) {
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
            "  Intel: Gfx init failed! (Err code: 0xFFFF)\r\n"
            "  Linux DRM: " +
                NoAuxDeviceText() + "\r\n");
}

}  // namespace
}  // namespace vexa::testing
#endif
