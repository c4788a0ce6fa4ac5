#include "sim/board_loader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/firmware_files.h"
#include "engine/identification/chip_probe.h"
#include "engine/identification/chip_query.h"
#include "engine/run/isp_run.h"
#include "testing/scratch_dir.h"
#include "tests/sim/sim_board_fixture.h"
#include "transport/backends/sim/gfx_lib_sim.h"
#include "util/binary_file.h"

namespace vexa::testing {
namespace {

using sim::BoardSlot;
using sim::ChipModel;

// Board files and their images in a folder of their own, removed afterwards.
class BoardLoaderTest : public ::testing::Test {
 protected:
  std::filesystem::path Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(WriteBinaryFile(dir_ / name, bytes));
    return dir_ / name;
  }

  sim::BoardLoad Load(const std::string& boardText) {
    const std::filesystem::path file = dir_ / "board.ini";
    Write("board.ini", std::vector<uint8_t>(boardText.begin(), boardText.end()));
    const sim::BoardFileParse parse = sim::ReadBoardFile(file);
    EXPECT_TRUE(parse.board) << parse.error.ToString();
    if (!parse.board) return {};
    return sim::LoadBoard(*parse.board, clock_);
  }

  std::optional<std::vector<uint8_t>> Read(const std::string& name) {
    return ReadBinaryFile(dir_ / name);
  }

  const ScratchDir dir_;
  VirtualClock clock_;
};

// The flash file starts as the Firmware image, takes every erase and write of an update, and
// the next load boots what the update left.
TEST_F(BoardLoaderTest, FlashFilePersistsAnUpdateAcrossLoads) {
  const auto oldImage = BinImage(ImageOptions(ChipModel::kOcelin4100, {1, 1, 0}, {}, 3));
  const auto newImage = BinImage(ImageOptions(ChipModel::kOcelin4100, {2, 1, 0}, {}, 4));
  Write("old.bin", oldImage);
  Write("new.bin", newImage);
  Write("driver.bin", DriverFile(ChipModel::kOcelin4100));
  const std::string boardText = "[Host]\nChip = 1\nFlash = host.flash\nFirmware = old.bin\n";

  {
    sim::BoardLoad load = Load(boardText);
    ASSERT_TRUE(load.board) << load.error.ToString();
    EXPECT_EQ(Read("host.flash"), oldImage);

    GfxLibSim gfx(*load.board, clock_, IspChipProbe());
    IspContext ctx(clock_);
    ctx.activeGfxLib = &gfx;
    int32_t size = 0;
    std::string errorText;
    ASSERT_TRUE(LoadDriverFile(ctx, (dir_ / "driver.bin").string(), size, errorText));
    ASSERT_TRUE(AssignDriverImage(ctx, 0, size));
    ASSERT_TRUE(LoadFwFile(ctx, (dir_ / "new.bin").string(), size, errorText));
    FwFileInfo info;
    ASSERT_TRUE(AssignFwImage(ctx, 0, size, info));
    ASSERT_TRUE(RunIsp(ctx)) << ctx.firstErrorText;
  }
  EXPECT_EQ(Read("host.flash"), newImage);

  // The flash file now exists, so the Firmware key no longer matters.
  sim::BoardLoad reload = Load(boardText);
  ASSERT_TRUE(reload.board);
  const sim::Chip& host = *reload.board->chip(BoardSlot::kHost);
  EXPECT_TRUE(std::ranges::equal(host.flash().contents(), newImage));
  EXPECT_EQ(host.firmware().applicationVersion, (std::array<uint8_t, 3>{2, 1, 0}));
}

TEST_F(BoardLoaderTest, WithoutFlashOrFirmwareTheFlashIsErasedAndKeptInMemory) {
  sim::BoardLoad load = Load("[Port1]\nChip = 3\n");
  ASSERT_TRUE(load.board);
  EXPECT_EQ(load.board->chip(BoardSlot::kHost), nullptr);
  const auto flash = load.board->chip(BoardSlot::kPort1)->flash().contents();
  EXPECT_EQ(flash.size(), 0x40000u);
  EXPECT_TRUE(std::ranges::all_of(flash, [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(load.board->settings().auxLatency, std::chrono::microseconds(500));
}

struct LoadErrorCase {
  const char* name;
  friend void PrintTo(const LoadErrorCase& c, std::ostream* os) { *os << c.name; }
  const char* boardText;
  // The error reads: board file, where, the file in quotes, the problem.
  const char* where;
  const char* file;
  const char* problem;
};

class BoardLoadErrors : public BoardLoaderTest,
                        public ::testing::WithParamInterface<LoadErrorCase> {};

// A file the board cannot use is named with its key and line, and no flash file is written:
// not the one that was wrong, nor those of the chips before it.
TEST_P(BoardLoadErrors, NameTheKeyAndWriteNoFlashFile) {
  const LoadErrorCase& c = GetParam();
  Write("short.flash", std::vector<uint8_t>(100, 0x11));
  Write("huge.bin", std::vector<uint8_t>(0x40001, 0x22));
  const sim::BoardLoad load = Load(c.boardText);
  EXPECT_FALSE(load.board);
  EXPECT_EQ(load.error.ToString(), (dir_ / "board.ini").string() + c.where + "'" +
                                       (dir_ / c.file).string() + "' " + c.problem);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "host.flash"));
  EXPECT_EQ(Read("short.flash"), std::vector<uint8_t>(100, 0x11));
}

INSTANTIATE_TEST_SUITE_P(
    BoardFiles, BoardLoadErrors,
    ::testing::Values(LoadErrorCase{"FlashFileOfTheWrongSize",
                                    "[Host]\nChip = 1\nFlash = host.flash\n[Port1]\nChip = 3\n"
                                    "Flash = short.flash\n",
                                    ":6: [Port1] Flash: ", "short.flash",
                                    "holds 100 bytes; the flash of a type-3 chip holds 262144"},
                      LoadErrorCase{"MissingFirmware",
                                    "[Host]\nChip = 1\nFlash = host.flash\n[Port2]\nChip = 4\n"
                                    "Firmware = none.bin\n",
                                    ":6: [Port2] Firmware: ", "none.bin", "cannot be read"},
                      LoadErrorCase{
                          "FirmwareLargerThanTheFlash",
                          "[Host]\nChip = 4\nFlash = host.flash\nFirmware = huge.bin\n",
                          ":4: [Host] Firmware: ", "huge.bin",
                          "holds 262145 bytes, more than the 262144 of a type-4 chip's flash"},
                      // host.flash is created first, then removed again when the port's flash
                      // file cannot be created in a folder that does not exist.
                      LoadErrorCase{"FlashFileThatCannotBeWritten",
                                    "[Host]\nChip = 1\nFlash = host.flash\n[Port1]\nChip = 3\n"
                                    "Flash = nodir/p1.flash\n",
                                    ":6: [Port1] Flash: ", "nodir/p1.flash", "cannot be written"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa::testing
