#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "chip/chip_types.h"
#include "engine/isp_context.h"
#include "sim/board.h"
#include "tools/image_files.h"
#include "transport/backends/sim/gfx_lib_sim.h"
#include "util/clock.h"

namespace vexa::testing {

// One chip of a board built in memory.
struct SimChipSetup {
  sim::ChipConfig config;
  // Empty: an erased flash.
  std::vector<uint8_t> flash;
};

// Image options: the chip type, the application's version bytes, and a boot code when given.
tools::BinImageOptions ImageOptions(sim::ChipModel model, std::array<uint8_t, 3> version,
                                    std::optional<uint16_t> bootCodeVersion = std::nullopt,
                                    uint32_t seed = 1);

// Builds an image or a driver file; options the builder refuses fails the test.
std::vector<uint8_t> BinImage(const tools::BinImageOptions& options);
std::vector<uint8_t> DriverFile(sim::ChipModel model);

sim::ChipConfig ChipOf(sim::ChipModel model);

// A board built in memory on a virtual clock, with the simulator's GfxLib and an engine
// context over it: what the tool runs on, minus the files.
class SimBoardTest : public ::testing::Test {
 protected:
  void BuildBoard(std::array<std::optional<SimChipSetup>, sim::kBoardSlotCount> chips,
                  sim::BoardSettings settings = {});
  void BuildHostBoard(SimChipSetup host, sim::BoardSettings settings = {}) {
    BuildBoard({std::move(host), {}, {}}, settings);
  }

  // Gives target index its driver and BIN file, as the dialog's Start does; returns what the
  // engine read from the BIN file.
  FwFileInfo StageTarget(size_t index, const std::vector<uint8_t>& driver,
                         const std::vector<uint8_t>& bin);

  // The three chip models of BuildHostAndPorts, host first.
  static constexpr std::array<sim::ChipModel, 3> kHostAndPortModels = {
      sim::ChipModel::kOcelin4100, sim::ChipModel::kArivane, sim::ChipModel::kSolvenia};

  // A board with a chip on the host and on both ports (kHostAndPortModels) running an old
  // image; returns each target's new image (seeded from seed on).
  std::array<std::vector<uint8_t>, 3> BuildHostAndPorts(uint32_t seed);

  // Checks that every target holds its new image and identifies as its model.
  void ExpectHostAndPortsUpdated(const std::array<std::vector<uint8_t>, 3>& newImages);

  // Identifies the chip of target index (opening forwarding for a port) as the tool does, once
  // a host that was just reset has booted.
  ChipInfo QueryTarget(size_t index);
  void WaitForHostBoot() { clock.Sleep(board->settings().hostBootTime); }

  // Puts the host chip's driver into service as InitIsp does for staged target 0.
  bool StartHostDriver();

  // Every engine log entry so far, in one text.
  std::string LogText() const;

  sim::Chip& Chip(sim::BoardSlot slot) { return *board->chip(slot); }
  std::vector<uint8_t> FlashOf(sim::BoardSlot slot) {
    const auto contents = Chip(slot).flash().contents();
    return {contents.begin(), contents.end()};
  }

  VirtualClock clock;
  std::unique_ptr<sim::Board> board;
  std::unique_ptr<GfxLibSim> gfx;
  IspContext ctx{clock};
};

}  // namespace vexa::testing
