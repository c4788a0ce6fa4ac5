#include "transport/adapter_detection.h"

#include <gtest/gtest.h>

#include "testing/scripted_gfx.h"

namespace vexa::testing {
namespace {

// A backend whose opening and scan are set by the test.
class FakeBackend : public ScriptedGfx {
 public:
  FakeBackend(std::string vendor, int32_t initStatus, int32_t scanStatus,
              std::string errorText = {}, std::string adapter = {}, std::string driver = {})
      : vendor_(std::move(vendor)),
        initStatus_(initStatus),
        scanStatus_(scanStatus),
        errorText_(std::move(errorText)),
        adapter_(std::move(adapter)),
        driver_(std::move(driver)) {}

  int32_t Initialize() override {
    ++initCalls;
    return initStatus_;
  }
  int32_t ScanPorts(int32_t probeMode, uint32_t* displayId, uint8_t ddcAddr,
                    std::string* report) override {
    scannedMode = probeMode;
    scannedPreset = *displayId;
    scannedAddr = ddcAddr;
    *report = "    scan of " + vendor_ + "\r\n";
    if (scanStatus_ == 0) *displayId = 0x42;
    return scanStatus_;
  }
  std::string GetVendorName() override { return vendor_; }
  std::string GetErrorText() override { return errorText_; }
  std::string GetAdapterName() override { return adapter_; }
  std::string GetDriverVersion() override { return driver_; }

  int initCalls = 0;
  int32_t scannedMode = 0;
  uint32_t scannedPreset = 0;
  uint8_t scannedAddr = 0;

 private:
  std::string vendor_;
  int32_t initStatus_;
  int32_t scanStatus_;
  std::string errorText_;
  std::string adapter_;
  std::string driver_;
};

struct Machine {
  FakeBackend nvidia{"NVidia", 6, 5, "Library not found!"};
  FakeBackend amd{"AMD", 6, 5, "Loading DLL... failed!"};
  FakeBackend intel{"Intel", 0, 0, "", "Intel(R) UHD Graphics"};
  GfxBackends Backends() {
    return {
        {{AdapterType::kNvidia, &nvidia}, {AdapterType::kAmd, &amd}, {AdapterType::kIntel, &intel}},
        nullptr};
  }
};

TEST(AdapterDetection, AutoScanReportsEveryBackendTried) {
  Machine machine;
  AdapterDetector detector(machine.Backends(), AdapterType::kAuto);
  uint32_t displayId = 0;
  std::string report;

  EXPECT_EQ(detector.DetectAdapter(&displayId, 0x6E, &report), detect_result::kConnected);
  EXPECT_EQ(report,
            "Graphics adapter initialization:\r\n"
            "Auto scan graphics adapter (DDC2bi addr: 0x6E)...\r\n"
            "  NVidia: Library not found!\r\n"
            "  AMD: Loading DLL... failed!\r\n"
            "  Intel [Intel(R) UHD Graphics]: Init done\r\n"
            "    scan of Intel\r\n");
  EXPECT_EQ(detector.ActiveTransport(), &machine.intel);
  EXPECT_EQ(displayId, 0x42u);
  EXPECT_EQ(machine.intel.scannedMode, 1);
}

TEST(AdapterDetection, NoChipLeavesTheLastOpenedBackendActive) {
  Machine machine;
  machine.intel = FakeBackend("Intel", 0, 5);
  AdapterDetector detector(machine.Backends(), AdapterType::kAuto);
  uint32_t displayId = 0;
  std::string report;
  EXPECT_EQ(detector.DetectAdapter(&displayId, 0x60, &report), detect_result::kPortNotFound);
  EXPECT_EQ(detector.ActiveTransport(), &machine.intel);
  EXPECT_NE(report.find("  Intel: Init done\r\n"), std::string::npos);
  EXPECT_EQ(displayId, 0u);
}

TEST(AdapterDetection, LastBackendFailingFallsBackToTheFirstThatOpened) {
  Machine machine;
  machine.nvidia = FakeBackend("NVidia", 0, 5, "", "RTX", "55134");
  machine.intel = FakeBackend("Intel", 6, 5, "Gfx init failed! (0x80040154)");
  AdapterDetector detector(machine.Backends(), AdapterType::kAuto);
  uint32_t displayId = 0;
  std::string report;
  EXPECT_EQ(detector.DetectAdapter(&displayId, 0x6E, &report), detect_result::kInitFailed);
  EXPECT_EQ(detector.ActiveTransport(), &machine.nvidia);
  EXPECT_NE(report.find("  NVidia [RTX  Driver ver: 55134]: Init done\r\n"), std::string::npos);
}

TEST(AdapterDetection, FixedChoiceTriesOnlyThatBackendWithThePreset) {
  Machine machine;
  AdapterDetector nvidiaOnly(machine.Backends(), AdapterType::kNvidia);
  uint32_t displayId = 0;
  std::string report;
  EXPECT_EQ(nvidiaOnly.DetectAdapter(&displayId, 0x6E, &report), detect_result::kInitFailed);
  EXPECT_EQ(nvidiaOnly.ActiveTransport(), nullptr);
  EXPECT_EQ(report, "Graphics adapter initialization:\r\n  NVidia: Library not found!\r\n");
  EXPECT_EQ(machine.amd.initCalls, 0);
  EXPECT_EQ(machine.intel.initCalls, 0);

  AdapterDetector intelOnly(machine.Backends(), AdapterType::kIntel);
  displayId = 12;
  EXPECT_EQ(intelOnly.DetectAdapter(&displayId, 0x6E, &report), detect_result::kConnected);
  EXPECT_EQ(machine.intel.scannedPreset, 12u);
  EXPECT_EQ(machine.nvidia.initCalls, 1);
}

TEST(AdapterDetection, SimulatorIsTheOnlyChoiceWhenGiven) {
  Machine machine;
  FakeBackend simulator("Simulator", 0, 0);
  GfxBackends backends = machine.Backends();
  backends.simulator = &simulator;
  AdapterDetector detector(backends, AdapterType::kAuto);
  uint32_t displayId = 0;
  std::string report;
  EXPECT_EQ(detector.DetectAdapter(&displayId, 0x6E, &report), detect_result::kConnected);
  EXPECT_EQ(detector.ActiveTransport(), &simulator);
  EXPECT_FALSE(detector.IsAutomatic());
  EXPECT_EQ(machine.nvidia.initCalls + machine.amd.initCalls + machine.intel.initCalls, 0);
}

}  // namespace
}  // namespace vexa::testing
