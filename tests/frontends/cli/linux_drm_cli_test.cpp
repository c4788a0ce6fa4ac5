// The commands over the Linux backend on a fake kernel tree, whose I2C and AUX nodes the
// simulated board serves, against the same commands over the simulator.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/simulated_board.h"
#include "engine/identification/chip_probe.h"
#include "frontends/cli/commands.h"
#include "testing/board_linux_system.h"
#include "testing/comparable_log.h"
#include "testing/fake_drm_tree.h"
#include "testing/scratch_dir.h"
#include "tests/sim/sim_board_fixture.h"
#include "transport/backends/linux/gfx_lib_linux.h"

namespace vexa::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class LinuxDrmCliTest : public ::testing::Test {
 protected:
  LinuxDrmCliTest() {
    tree_.AddCard("card0", "i915");
    tree_.AddConnector({.name = "eDP-1", .auxIndex = 0});
    tree_.AddConnector({.name = "DP-1", .auxIndex = 1, .i2cBus = 5});
    for (const char* folder : {"sim", "linux"}) {
      const fs::path board = dir_ / folder;
      fs::create_directories(board);
      std::ofstream(board / "Config.ini")
          << "[Firmware Update]\nDriverFilePath = driver.bin\nFWFilePath = new.bin\n";
      std::ofstream(board / "board.ini") << "[Board]\nVirtualTime = 1\n[Host]\nChip = 3\n"
                                            "Flash = host.flash\nFirmware = old.bin\n";
      WriteBytes(board / "old.bin",
                 BinImage(ImageOptions(sim::ChipModel::kArivane, {0x20, 0x45, 0x01})));
      tools::BinImageOptions newImage = ImageOptions(sim::ChipModel::kArivane, {0x67, 0x45, 0x89});
      newImage.dataSize = 0x2000;  // a few blocks keep the run short
      WriteBytes(board / "new.bin", BinImage(newImage));
      WriteBytes(board / "driver.bin", DriverFile(sim::ChipModel::kArivane));
    }
  }
  ~LinuxDrmCliTest() override {
    gfx_.reset();
    fs::current_path(startDir_);
  }

  static void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  // The board of the folder's board file behind the Linux backend, as the only backend.
  std::unique_ptr<ToolTransport> OpenLinuxTransport(std::string& error) {
    auto transport = std::make_unique<ToolTransport>();
    transport->simulated = LoadSimulatedBoard("board.ini", error);
    if (!transport->simulated) return nullptr;
    transport->clock = transport->simulated->clock.get();
    gfx_.reset();  // before the system calls it closes its nodes through
    system_ = std::make_unique<BoardLinuxSystem>(*transport->simulated->board);
    system_->dpcdOnBoard = true;
    gfx_ =
        std::make_unique<GfxLibLinux>(*system_, tree_.roots(), *transport->clock, IspChipProbe());
    transport->backends.system = {{AdapterType::kLinux, gfx_.get()}};
    return transport;
  }

  struct Session {
    std::string detectOut;
    std::string versionsOut;
    std::string log;
  };

  // detect, versions, update and versions in folder, over Linux or the simulator.
  Session RunCommands(const char* folder, bool overLinux) {
    fs::current_path(dir_ / folder);
    cli::CliOptions options;
    options.configPath = "Config.ini";
    if (overLinux) {
      options.openTransport = [this](std::string& error) { return OpenLinuxTransport(error); };
    } else {
      options.simulateBoard = "board.ini";
    }
    options.yes = true;
    Session session;
    // Each command starts the log afresh: keep what each one wrote.
    const auto run = [&](int (*command)(const cli::CliOptions&)) {
      EXPECT_EQ(command(options), 0);
      session.log += ReadText("VexaISP.log");
    };
    ::testing::internal::CaptureStdout();
    run(cli::RunDetect);
    session.detectOut = ::testing::internal::GetCapturedStdout();
    ::testing::internal::CaptureStdout();
    run(cli::RunVersions);
    run(cli::RunUpdate);
    run(cli::RunVersions);
    session.versionsOut = ::testing::internal::GetCapturedStdout();
    return session;
  }

  const ScratchDir dir_;
  const fs::path startDir_ = fs::current_path();
  FakeDrmTree tree_{dir_ / "kernel"};
  std::unique_ptr<BoardLinuxSystem> system_;
  std::unique_ptr<GfxLibLinux> gfx_;
};

TEST_F(LinuxDrmCliTest, CommandsLogWhatTheSimulatorLogs) {
  const Session simulated = RunCommands("sim", false);
  const Session overLinux = RunCommands("linux", true);

  EXPECT_EQ(overLinux.detectOut,
            "Graphics adapter initialization:\n"
            "Auto scan graphics adapter (DDC2bi addr: 0x6E)...\n"
            "  Linux DRM [card0 (i915)]: Init done\n"
            "     card0 (i915) eDP-1 [drm_dp_aux0]... Gfx error! (eDP-1 has no I2C adapter)\n"
            "     card0 (i915) DP-1 [drm_dp_aux1]... OK\n"
            "Graphics Adapter: Linux DRM: 0x02 [DP-1]\n"
            "Status: Connected\n");
  EXPECT_NE(overLinux.versionsOut.find("App: v1.43 (Rev: 7.137)\n"), std::string::npos)
      << overLinux.versionsOut;
  EXPECT_EQ(ComparableLogLines(overLinux.log), ComparableLogLines(simulated.log));
  EXPECT_NE(overLinux.log.find("  Linux DRM [card0 (i915)]: Init done"), std::string::npos);
}

}  // namespace
}  // namespace vexa::testing
