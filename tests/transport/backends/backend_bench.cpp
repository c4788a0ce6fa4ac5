#include "tests/transport/backends/backend_bench.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/identification/chip_probe.h"
#include "testing/sim_adl.h"
#include "testing/sim_cui_driver.h"
#include "testing/sim_nvapi.h"
#include "tests/transport/backends/amd/amd_backend_fixture.h"
#include "tests/transport/backends/intel/intel_board_fixture.h"
#include "transport/backends/amd/gfx_lib_amd.h"
#include "transport/backends/intel/gfx_lib_intel.h"
#include "transport/backends/nvidia/gfx_lib_nvidia.h"
#include "transport/backends/sim/gfx_lib_sim.h"
#ifdef __linux__
#include "testing/board_linux_system.h"
#include "testing/fake_drm_tree.h"
#include "testing/scratch_dir.h"
#include "transport/backends/linux/gfx_lib_linux.h"
#endif

namespace vexa::testing {

namespace {

// Opens gfx and scans for the chip at ddcAddr; false (with a test failure) when either fails.
bool OpenAndScan(GfxLib& gfx, uint8_t ddcAddr) {
  EXPECT_EQ(gfx.Initialize(), gfx_status::kSuccess) << gfx.GetErrorText();
  uint32_t displayId = 0;
  std::string report;
  const int32_t scanned = gfx.ScanPorts(1, &displayId, ddcAddr, &report);
  EXPECT_EQ(scanned, gfx_status::kSuccess) << report;
  return scanned == gfx_status::kSuccess;
}

template <typename Bench>
std::unique_ptr<BackendBench> Ready(std::unique_ptr<Bench> bench, uint8_t ddcAddr) {
  if (!OpenAndScan(bench->gfx(), ddcAddr)) return nullptr;
  bench->ForgetScanTraffic();
  return bench;
}

class IntelBench final : public BackendBench {
 public:
  IntelBench(sim::Board& board, Clock& clock, uint32_t deviceId, SimRecordKind kind)
      : intel_(driver_, clock, IspChipProbe()), deviceId_(deviceId), kind_(kind) {
    driver_.setup().adapters = {
        {"\\\\.\\DISPLAY1",
         "Graphics Adapter A",
         {{kDpDisplay, sim_display::kDisplayPort, sim_display::kAttached}}}};
    driver_.setup().sinks = {{deviceId, &board}};
  }
  GfxLib& gfx() override { return intel_; }
  size_t VendorCalls() const override { return driver_.calls().size(); }
  int32_t FailATransaction() override {
    driver_.InjectFault({0, sim_cui_error::kAuxTimeout});
    uint8_t byte = 0;
    return intel_.NativeAuxRead(0x503, &byte, 1);
  }
  void ForgetScanTraffic() override { driver_.ClearCalls(); }
  // Every request goes to the device the chip sits behind, in that device's record layout.
  void ExpectRunTraffic() const override {
    ASSERT_FALSE(driver_.calls().empty());
    for (const SimCuiCall& call : driver_.calls()) {
      ASSERT_EQ(call.kind, kind_);
      ASSERT_EQ(call.deviceId, deviceId_);
    }
  }

 private:
  SimCuiDriver driver_;
  GfxLibIntel intel_;
  uint32_t deviceId_;
  SimRecordKind kind_;
};

class AmdBench final : public BackendBench {
 public:
  AmdBench(sim::Board& board, Clock& clock)
      : adl_(OneAdapter({{.connectorType = kHdmiConnector},
                         {.logicalIndex = kDisplayIndex, .board = &board}}),
             clock),
        amd_(adl_, clock, IspChipProbe()) {}
  GfxLib& gfx() override { return amd_; }
  size_t VendorCalls() const override { return adl_.calls().size(); }
  int32_t FailATransaction() override {
    adl_.FailNativeCalls(1, -5);
    uint8_t byte = 0;
    return amd_.NativeAuxRead(0x503, &byte, 1);
  }

 private:
  SimAdl adl_;
  GfxLibAmd amd_;
};

SimNvDriver NvidiaDriver(sim::Board& board, bool mstRoot) {
  SimNvDisplay display;
  display.displayId = 0x1000;
  display.board = &board;
  if (mstRoot) {
    display.mstRoot = true;
    display.topology = {{.pathBlock = {0x11, 0x22, 0x33}, .nodeType = 0}};
  }
  SimNvDriver driver;
  driver.gpus.push_back({.fullName = "Simulated GPU", .displays = {display}});
  return driver;
}

class NvidiaBench final : public BackendBench {
 public:
  NvidiaBench(sim::Board& board, Clock& clock, bool mstRoot)
      : nvapi_(NvidiaDriver(board, mstRoot), clock), nvidia_(nvapi_, clock, IspChipProbe()) {}
  GfxLib& gfx() override { return nvidia_; }
  size_t VendorCalls() const override { return nvapi_.auxCalls().size(); }
  int32_t FailATransaction() override {
    nvapi_.QueueAuxAnswers({{.replyStatus = 1, .data = {}}});  // NACK
    uint8_t byte = 0;
    return nvidia_.NativeAuxRead(0x503, &byte, 1);
  }

 private:
  SimNvapi nvapi_;
  GfxLibNvidia nvidia_;
};

class SimulatorBench final : public BackendBench {
 public:
  SimulatorBench(sim::Board& board, Clock& clock)
      : board_(board), gfx_(board, clock, IspChipProbe()) {}
  GfxLib& gfx() override { return gfx_; }
  size_t VendorCalls() const override { return board_.transactionCount(); }
  int32_t FailATransaction() override {
    uint8_t byte = 0;
    return gfx_.DdcAuxWrite(0x70, &byte, 1);  // no chip listens there
  }

 private:
  sim::Board& board_;
  GfxLibSim gfx_;
};

#ifdef __linux__
// The kernel's nodes on a fake tree, the board serving both the I2C and the AUX node.
class LinuxBench final : public BackendBench {
 public:
  LinuxBench(sim::Board& board, Clock& clock, bool refuseRdwr)
      : tree_(dir_.path()),
        board_(board),
        system_(board),
        linux_(system_, tree_.roots(), clock, IspChipProbe()),
        refuseRdwr_(refuseRdwr) {
    tree_.AddCard("card0", "i915");
    tree_.AddConnector({.name = "DP-1", .auxIndex = 0, .i2cBus = 5});
    system_.dpcdOnBoard = true;
    system_.refuseRdwr = refuseRdwr;
  }
  GfxLib& gfx() override { return linux_; }
  size_t VendorCalls() const override { return board_.transactionCount(); }
  int32_t FailATransaction() override {
    uint8_t byte = 0;
    return linux_.DdcAuxWrite(0x70, &byte, 1);  // no chip listens there
  }
  // Once refused, I2C_RDWR is not asked again: every transaction goes through I2C_SLAVE.
  void ExpectRunTraffic() const override {
    const auto count = [&](const char* request) {
      const auto found = system_.requests.find(request);
      return found == system_.requests.end() ? 0 : found->second;
    };
    if (refuseRdwr_) {
      EXPECT_EQ(count("I2C_RDWR"), 1);
      EXPECT_GT(count("I2C_SLAVE"), 0);
    } else {
      EXPECT_GT(count("I2C_RDWR"), 1);
      EXPECT_EQ(count("I2C_SLAVE"), 0);
    }
  }

 private:
  const ScratchDir dir_;
  FakeDrmTree tree_;
  sim::Board& board_;
  BoardLinuxSystem system_;
  GfxLibLinux linux_;
  bool refuseRdwr_;
};
#endif

}  // namespace

const std::vector<BackendVariant> kBackendVariants = {
    {"IntelDisplayPortOutput", 0x6E,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(
           std::make_unique<IntelBench>(board, clock, kDpDisplay, SimRecordKind::kStandard),
           ddcAddr);
     }},
    {"IntelLsPconDevice", 0x6E,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(std::make_unique<IntelBench>(board, clock, 0x0E, SimRecordKind::kLsPcon),
                    ddcAddr);
     }},
    {"Amd", sim::kHostCommandAddr,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(std::make_unique<AmdBench>(board, clock), ddcAddr);
     }},
    {"NvidiaDisplayPort", 0x6E,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(std::make_unique<NvidiaBench>(board, clock, false), ddcAddr);
     }},
    {"NvidiaMstRoot", 0x6E,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(std::make_unique<NvidiaBench>(board, clock, true), ddcAddr);
     }},
    {"Simulator", 0x6E,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(std::make_unique<SimulatorBench>(board, clock), ddcAddr);
     }},
#ifdef __linux__
    {"LinuxDrm", 0x6E,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(std::make_unique<LinuxBench>(board, clock, false), ddcAddr);
     }},
    {"LinuxDrmI2cSlaveFallback", 0x6E,
     [](sim::Board& board, Clock& clock, uint8_t ddcAddr) {
       return Ready(std::make_unique<LinuxBench>(board, clock, true), ddcAddr);
     }},
#endif
};

}  // namespace vexa::testing
