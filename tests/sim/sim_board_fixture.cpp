#include "tests/sim/sim_board_fixture.h"

#include "chip/chip_table.h"
#include "engine/firmware_files.h"
#include "engine/identification/chip_probe.h"
#include "engine/identification/chip_query.h"
#include "engine/protocol/isp_init.h"
#include "engine/run/aux_forwarding.h"

namespace vexa::testing {

tools::BinImageOptions ImageOptions(sim::ChipModel model, std::array<uint8_t, 3> version,
                                    std::optional<uint16_t> bootCodeVersion, uint32_t seed) {
  tools::BinImageOptions options;
  options.model = model;
  options.version = version;
  options.bootCodeVersion = bootCodeVersion;
  options.seed = seed;
  return options;
}

std::vector<uint8_t> BinImage(const tools::BinImageOptions& options) {
  tools::BuiltFile built = tools::BuildBinImage(options);
  EXPECT_EQ(built.error, "");
  return std::move(built.bytes);
}

std::vector<uint8_t> DriverFile(sim::ChipModel model) {
  tools::DriverFileOptions options;
  options.model = model;
  tools::BuiltFile built = tools::BuildDriverFile(options);
  EXPECT_EQ(built.error, "");
  return std::move(built.bytes);
}

sim::ChipConfig ChipOf(sim::ChipModel model) {
  sim::ChipConfig config;
  config.model = model;
  return config;
}

void SimBoardTest::BuildBoard(std::array<std::optional<SimChipSetup>, sim::kBoardSlotCount> chips,
                              sim::BoardSettings settings) {
  std::array<std::unique_ptr<sim::Chip>, sim::kBoardSlotCount> built;
  for (size_t slot = 0; slot < chips.size(); ++slot) {
    if (!chips[slot]) continue;
    std::vector<uint8_t> flash = std::move(chips[slot]->flash);
    if (flash.empty()) {
      flash = sim::ErasedFlashContents(sim::ProfileOf(chips[slot]->config.model).flashSize);
    }
    built[slot] = std::make_unique<sim::Chip>(chips[slot]->config, sim::SpiFlash(std::move(flash)));
  }
  board = std::make_unique<sim::Board>(settings, std::move(built), clock);
  gfx = std::make_unique<GfxLibSim>(*board, clock, IspChipProbe());
  ctx.activeGfxLib = gfx.get();
}

std::array<std::vector<uint8_t>, 3> SimBoardTest::BuildHostAndPorts(uint32_t seed) {
  std::array<std::optional<SimChipSetup>, sim::kBoardSlotCount> chips;
  std::array<std::vector<uint8_t>, 3> newImages;
  for (size_t i = 0; i < kHostAndPortModels.size(); ++i) {
    const sim::ChipModel model = kHostAndPortModels[i];
    chips[i] = SimChipSetup{ChipOf(model), BinImage(ImageOptions(model, {0x01, 0x01, 0x00}))};
    newImages[i] =
        BinImage(ImageOptions(model, {0x02, 0x02, 0x01}, {}, seed + static_cast<uint32_t>(i)));
  }
  BuildBoard(std::move(chips));
  return newImages;
}

void SimBoardTest::ExpectHostAndPortsUpdated(const std::array<std::vector<uint8_t>, 3>& newImages) {
  for (size_t i = 0; i < kHostAndPortModels.size(); ++i) {
    EXPECT_TRUE(FlashOf(static_cast<sim::BoardSlot>(i)) == newImages[i]) << "target " << i;
    EXPECT_EQ(QueryTarget(i).chipType, static_cast<ChipType>(kHostAndPortModels[i]));
  }
}

FwFileInfo SimBoardTest::StageTarget(size_t index, const std::vector<uint8_t>& driver,
                                     const std::vector<uint8_t>& bin) {
  ctx.loadedDriverFile = driver;
  EXPECT_TRUE(
      AssignDriverImage(ctx, static_cast<int32_t>(index), static_cast<int32_t>(driver.size())));
  ctx.loadedFwFile = bin;
  FwFileInfo info;
  EXPECT_TRUE(
      AssignFwImage(ctx, static_cast<int32_t>(index), static_cast<int32_t>(bin.size()), info));
  return info;
}

ChipInfo SimBoardTest::QueryTarget(size_t index) {
  WaitForHostBoot();
  ChipInfo info;
  if (index != kHostTarget) {
    EXPECT_EQ(OpenPort(ctx, index, OnOpenFrameFailure::kGiveUp), PortOpen::kOpened);
  }
  ctx.currentDdcAddr = ctx.targets[index].ddc2biAddr;
  EXPECT_TRUE(QueryChip(ctx, info)) << ctx.firstErrorText;
  if (index != kHostTarget) ClosePort(ctx, index);
  return info;
}

std::string SimBoardTest::LogText() const {
  std::string text;
  for (size_t i = 0; i < ctx.log.Count(); ++i) text += ctx.log.EntryAt(i).value_or("");
  return text;
}

bool SimBoardTest::StartHostDriver() {
  ctx.targets[kHostTarget].onBoardChipType = ctx.targets[kHostTarget].fileChipType;
  LoadIspTarget(ctx, kHostTarget);
  SetChipGeometry(ctx, ctx.currentChipType);
  return InitIsp(ctx);
}

}  // namespace vexa::testing
