#include "app/adapter_display.h"

#include <gtest/gtest.h>

#include "testing/scripted_gfx.h"

namespace vexa::testing {
namespace {

class NamedBackend : public ScriptedGfx {
 public:
  NamedBackend(std::string vendor, std::string portType)
      : vendor_(std::move(vendor)), portType_(std::move(portType)) {}
  std::string GetVendorName() override { return vendor_; }
  std::string GetPortType() override { return portType_; }
  std::string GetPortStatus() override { return "Not attached"; }

 private:
  std::string vendor_;
  std::string portType_;
};

TEST(DisplayIdText, WidensWithTheValue) {
  EXPECT_EQ(DisplayIdText(0x6E), "0x6E");
  EXPECT_EQ(DisplayIdText(0x1234), "0x1234");
  EXPECT_EQ(DisplayIdText(0x12345), "0x00012345");
}

TEST(DescribeAdapter, AutomaticDetectionWithoutAChipShowsNoPort) {
  AdapterDetector automatic({}, AdapterType::kAuto);
  const AdapterDisplay display =
      DescribeAdapter(automatic, AdapterType::kAuto, detect_result::kPortNotFound, nullptr, 0);
  EXPECT_EQ(display.adapterText, "No available graphics port!");
  EXPECT_EQ(display.statusText, "Not connected!");
  EXPECT_TRUE(display.adapterRed);
  EXPECT_TRUE(display.statusRed);
  EXPECT_FALSE(display.ready);
}

struct FixedCase {
  const char* name;
  int32_t result;
  bool detected;
  const char* adapterText;
  const char* statusText;
  bool adapterRed;
  bool statusRed;
  friend void PrintTo(const FixedCase& c, std::ostream* os) { *os << c.name; }
};

class DescribeFixedAdapter : public ::testing::TestWithParam<FixedCase> {};

TEST_P(DescribeFixedAdapter, ShowsTheResultWord) {
  const FixedCase& c = GetParam();
  NamedBackend amd("AMD", "DisplayPort");
  AdapterDetector fixed({}, AdapterType::kAmd);
  const AdapterDisplay display =
      DescribeAdapter(fixed, AdapterType::kAmd, c.result, c.detected ? &amd : nullptr, 0x10005);
  EXPECT_EQ(display.adapterText, c.adapterText);
  EXPECT_EQ(display.statusText, c.statusText);
  EXPECT_EQ(display.adapterRed, c.adapterRed);
  EXPECT_EQ(display.statusRed, c.statusRed);
  EXPECT_EQ(display.ready, c.result == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Results, DescribeFixedAdapter,
    ::testing::Values(
        FixedCase{"Connected", 0, true, "AMD: 0x00010005 [DisplayPort] Not attached", "Connected",
                  false, false},
        FixedCase{"PortNotFound", 1, true, "AMD: 0x00010005 [DisplayPort] Not attached",
                  "Port not found", false, true},
        FixedCase{"InitFailed", 2, false, "AMD: 0x00010005", "Init failed", true, true},
        FixedCase{"Other", 9, true, "N/A", "Failed", true, true}),
    [](const auto& info) { return info.param.name; });

TEST(DescribeAdapter, IntelWithoutAPortIdShowsOnlyItsName) {
  NamedBackend intel("Intel", "LS-PCON");
  NamedBackend plain("NVidia", "");
  AdapterDetector automatic({}, AdapterType::kAuto);
  EXPECT_EQ(DescribeAdapter(automatic, AdapterType::kAuto, 0, &intel, 0).adapterText, "Intel");
  EXPECT_EQ(DescribeAdapter(automatic, AdapterType::kAuto, 0, &plain, 0x6E).adapterText,
            "NVidia: 0x6E Not attached");
}

}  // namespace
}  // namespace vexa::testing
