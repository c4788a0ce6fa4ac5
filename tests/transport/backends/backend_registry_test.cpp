#include "transport/backends/backend_registry.h"

#include <gtest/gtest.h>

#include "engine/identification/chip_probe.h"
#include "util/clock.h"

#ifndef _WIN32

namespace vexa::testing {
namespace {

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
