#include <gtest/gtest.h>

#include "engine/identification/chip_probe.h"
#include "testing/sim_cui_driver.h"
#include "transport/backends/intel/cui_names.h"
#include "transport/backends/intel/gfx_lib_intel.h"
#include "transport/backends/intel/system_cui_driver.h"

namespace vexa::testing {
namespace {

TEST(GfxLibIntelDriver, InitializeWithoutTheDriverFailsWithCodeMinusOne) {
  VirtualClock clock;
  SimCuiDriver driver;
  driver.setup().driverInstalled = false;
  GfxLibIntel intel(driver, clock, IspChipProbe());
  EXPECT_EQ(intel.Initialize(), gfx_status::kVendorCallFailed);
  EXPECT_EQ(intel.GetErrorCode(), -1);
  EXPECT_EQ(intel.GetErrorText(), "Gfx init failed! (Err code: 0xFFFF)");
}

// Uninitialize closes only a driver that Initialize opened, and only once.
TEST(GfxLibIntelDriver, UninitializeClosesAnOpenDriverOnce) {
  VirtualClock clock;
  SimCuiDriver driver;
  GfxLibIntel intel(driver, clock, IspChipProbe());
  intel.Uninitialize();
  EXPECT_EQ(driver.closeCount(), 0);
  ASSERT_EQ(intel.Initialize(), gfx_status::kSuccess);
  intel.Uninitialize();
  intel.Uninitialize();
  EXPECT_FALSE(driver.isOpen());
  EXPECT_EQ(driver.closeCount(), 1);
}

// Names are chosen by the code's low 16 bits.
struct NameCase {
  const char* name;
  friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
  int32_t code;
  const char* text;
};

class CuiErrorNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(CuiErrorNames, NameTheLow16Bits) {
  EXPECT_EQ(CuiErrorName(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CuiErrorNames,
    ::testing::Values(NameCase{"None", 0, ""}, NameCase{"Registration", 1, "registration error"},
                      NameCase{"UnsupportedGuid", 5, "unsupported GUID"},
                      NameCase{"AuxDefer", 70, "AUX defer"},
                      NameCase{"UnsupportedVersion", 80, "unsupported version"},
                      NameCase{"HighBitsIgnored", 0x10046, "AUX defer"},
                      NameCase{"Unnamed", 11, "Err code: 0x000B"},
                      NameCase{"MinusOne", -1, "Err code: 0xFFFF"},
                      NameCase{"LowBitsZero", 0x70000, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayTypeNames, NameTheDriversTypesAndUnknownOnes) {
  EXPECT_EQ(DisplayTypeName(0), "NULL");
  EXPECT_EQ(DisplayTypeName(2), "Local FP");
  EXPECT_EQ(DisplayTypeName(4), "TV");
  EXPECT_EQ(DisplayTypeName(6), "Unknown");
  EXPECT_EQ(DisplayTypeName(7), "DP");
  EXPECT_EQ(DisplayTypeName(8), "Unknown");
}

}  // namespace
}  // namespace vexa::testing
