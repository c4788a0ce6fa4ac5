#include "transport/backends/linux/gfx_lib_linux.h"

#include <cerrno>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/identification/chip_probe.h"
#include "testing/board_linux_system.h"
#include "testing/fake_drm_tree.h"
#include "testing/scratch_dir.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using sim::ChipModel;
using Call = BoardLinuxSystem::Call;

// A host chip on the board, reached through the I2C node of every connector of a fake tree.
class GfxLibLinuxTest : public SimBoardTest {
 protected:
  void SetUp() override {
    BuildHostBoard({ChipOf(ChipModel::kOcelin4100), {}});
    tree.AddCard("card0", "i915");
    system = std::make_unique<BoardLinuxSystem>(*board);
    gfx = std::make_unique<GfxLibLinux>(*system, tree.roots(), clock, IspChipProbe());
  }

  // One connector DP-1 on drm_dp_aux0 with i2c-5, open and selected.
  void SelectOnePort() {
    tree.AddConnector({.name = "DP-1", .auxIndex = 0, .i2cBus = 5});
    ASSERT_EQ(gfx->Initialize(), gfx_status::kSuccess);
    uint32_t displayId = 0;
    std::string report;
    ASSERT_EQ(gfx->ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kSuccess) << report;
  }

  std::vector<uint8_t> DpcdMap(uint32_t address, size_t count) {
    std::ifstream in(tree.DevPath("drm_dp_aux0"), std::ios::binary);
    in.seekg(address);
    std::vector<uint8_t> bytes(count);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    return bytes;
  }

  const ScratchDir dir;
  FakeDrmTree tree{dir.path()};
  std::unique_ptr<BoardLinuxSystem> system;
  std::unique_ptr<GfxLibLinux> gfx;
};

// Ports that cannot carry the update say why on their report line; the first port where the
// chip answers (here an MST port, with a node of its own) is selected.
TEST_F(GfxLibLinuxTest, ScanSaysWhyEachPortFailsAndSelectsTheFirstThatAnswers) {
  tree.AddConnector({.name = "DP-1", .auxIndex = 0});
  tree.AddConnector({.name = "DP-2", .auxIndex = 1, .i2cBus = 4, .i2cNode = false});
  tree.AddConnector({.name = "DP-3", .auxIndex = 2, .i2cBus = 6, .auxNode = false});
  tree.AddConnector({.name = "DP-3-1", .auxIndex = 3, .auxName = "DPMST", .i2cBus = 7});
  tree.AddConnector({.name = "HDMI-A-1", .auxIndex = 4, .i2cBus = 8});
  ASSERT_EQ(gfx->Initialize(), gfx_status::kSuccess);

  uint32_t displayId = 0;
  std::string report;
  EXPECT_EQ(gfx->ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kSuccess);
  EXPECT_EQ(report,
            "     card0 (i915) DP-1 [drm_dp_aux0]... Gfx error! (DP-1 has no I2C adapter)\r\n"
            "     card0 (i915) DP-2 [drm_dp_aux1]... Gfx error! (" +
                tree.DevPath("i2c-4") +
                " does not exist (ENOENT): load the i2c-dev module (modprobe i2c-dev))\r\n"
                "     card0 (i915) DP-3 [drm_dp_aux2]... Gfx error! (" +
                tree.DevPath("drm_dp_aux2") +
                " does not exist (ENOENT))\r\n"
                "     card0 (i915) DP-3-1 [drm_dp_aux3]... OK\r\n");
  EXPECT_EQ(displayId, 4u);
  EXPECT_EQ(gfx->GetAdapterName(), "card0 (i915)");
  EXPECT_EQ(gfx->GetPortType(), "DP-3-1");
  EXPECT_EQ(gfx->GetVendorName(), "Linux DRM");
}

TEST_F(GfxLibLinuxTest, PresetIdRestrictsTheScanToItsPort) {
  tree.AddConnector({.name = "DP-1", .auxIndex = 0, .i2cBus = 5});
  tree.AddConnector({.name = "DP-2", .auxIndex = 1, .i2cBus = 6});
  ASSERT_EQ(gfx->Initialize(), gfx_status::kSuccess);

  uint32_t displayId = 2;
  std::string report;
  EXPECT_EQ(gfx->ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kSuccess);
  EXPECT_EQ(report, "     card0 (i915) DP-2 [drm_dp_aux1]... OK\r\n");

  displayId = 9;
  EXPECT_EQ(gfx->ScanPorts(1, &displayId, 0x6E, &report), gfx_status::kNoChipFound);
  EXPECT_EQ(report, "     ==> User setting (0x0009) is invalid!\r\n");
}

TEST_F(GfxLibLinuxTest, NoAuxNodeSaysWhichKernelOptionOrDriverIsMissing) {
  EXPECT_EQ(gfx->Initialize(), gfx_status::kVendorCallFailed);
  EXPECT_EQ(gfx->GetErrorCode(), GfxLibLinux::kNoAuxDeviceCode);
  EXPECT_EQ(gfx->GetErrorText(),
            "No DP AUX device in " + tree.roots().sysfs +
                "/class/drm_dp_aux_dev: the kernel needs the option DRM_DISPLAY_DP_AUX_CHARDEV "
                "(DRM_DP_AUX_CHARDEV on older kernels)");

  tree.LoadNvidiaModule();
  gfx->ClearError();
  EXPECT_EQ(gfx->Initialize(), gfx_status::kVendorCallFailed);
  EXPECT_EQ(gfx->GetErrorText(),
            "No DP AUX device: the NVIDIA proprietary driver creates none, and the update needs "
            "native AUX, so this driver cannot be used (the nouveau driver can)");
}

// Native AUX reads and writes the node at the DPCD address, up to the end of the DPCD and not
// beyond.
TEST_F(GfxLibLinuxTest, NativeAuxMovesBytesAtTheDpcdAddress) {
  SelectOnePort();
  std::vector<uint8_t> bytes(40);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(gfx->NativeAuxWrite(0x300, bytes.data(), 40), gfx_status::kSuccess);
  EXPECT_EQ(DpcdMap(0x300, 40), bytes);
  std::vector<uint8_t> read(40);
  ASSERT_EQ(gfx->NativeAuxRead(0x300, read.data(), 40), gfx_status::kSuccess);
  EXPECT_EQ(read, bytes);

  EXPECT_EQ(gfx->NativeAuxRead(0xFFFF0, read.data(), 16), gfx_status::kSuccess);
  EXPECT_EQ(gfx->NativeAuxWrite(0xFFFF8, bytes.data(), 16), gfx_status::kVendorCallFailed);
  EXPECT_EQ(gfx->GetErrorCode(), GfxLibLinux::kOutOfRangeCode);
  EXPECT_EQ(gfx->GetErrorText(), "DPCD write at 0xFFFF8: beyond the DPCD address range");
  EXPECT_EQ(DpcdMap(0xFFFF8, 8), std::vector<uint8_t>(8, 0));
}

// Every failing call gives status 6 with the errno as the code and a text naming the transfer,
// the node and the errno; fewer bytes than asked is a failure as well.
TEST_F(GfxLibLinuxTest, EachFailureGivesItsCodeAndText) {
  SelectOnePort();
  const std::string aux = tree.DevPath("drm_dp_aux0");
  const std::string i2c = tree.DevPath("i2c-5");
  struct Row {
    Call call;
    long result;
    int32_t code;
    std::string text;
  };
  const std::vector<Row> rows = {
      {Call::kPread, -EIO, EIO,
       "DPCD read at 0x00300 on " + aux + ": no answer (NACK, or the sink kept deferring) (EIO)"},
      {Call::kPread, -EPROTO, EPROTO,
       "DPCD read at 0x00300 on " + aux + ": short acknowledge (EPROTO)"},
      {Call::kPread, -ETIMEDOUT, ETIMEDOUT,
       "DPCD read at 0x00300 on " + aux + ": timed out (ETIMEDOUT)"},
      {Call::kPwrite, -EBUSY, EBUSY,
       "DPCD write at 0x00300 on " + aux + ": the link is powered down (EBUSY)"},
      {Call::kPwrite, -ENODEV, ENODEV,
       "DPCD write at 0x00300 on " + aux + ": the device is gone (ENODEV)"},
      {Call::kRdwr, -EREMOTEIO, EREMOTEIO,
       "I2C write to 0x37 on " + i2c + ": no answer (I2C NACK) (EREMOTEIO)"},
      {Call::kPread, 5, GfxLibLinux::kShortTransferCode,
       "DPCD read at 0x00300 on " + aux + ": 5 of 16 bytes moved"},
      {Call::kOpen, -EACCES, EACCES,
       "Cannot open " + aux +
           ": permission denied (EACCES); the udev rule 60-vexaisp.rules gives the video group "
           "access"},
      {Call::kOpen, -ENOENT, ENOENT, aux + " does not exist (ENOENT)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    gfx->Uninitialize();  // the open rows need the nodes closed
    system->Fail(row.call, row.result);
    std::vector<uint8_t> bytes(16);
    int32_t status = 0;
    if (row.call == Call::kRdwr) {
      status = gfx->DdcAuxWrite(0x6E, bytes.data(), 8);
    } else if (row.call == Call::kPwrite) {
      status = gfx->NativeAuxWrite(0x300, bytes.data(), 16);
    } else {
      status = gfx->NativeAuxRead(0x300, bytes.data(), 16);
    }
    system->Fail(row.call, 0);
    EXPECT_EQ(status, gfx_status::kVendorCallFailed);
    EXPECT_EQ(gfx->GetErrorCode(), row.code);
    EXPECT_EQ(gfx->GetErrorText(), row.text);
  }
}

}  // namespace
}  // namespace vexa::testing
