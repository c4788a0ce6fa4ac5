#include "app/run_staging.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/scratch_dir.h"
#include "tests/sim/sim_board_fixture.h"

namespace vexa::testing {
namespace {

using sim::ChipModel;

class RunStagingTest : public SimBoardTest {
 protected:
  const ScratchDir dir_;
};

// Every configured target either gets its images or the reason it will be skipped.
TEST_F(RunStagingTest, ConfiguredTargetsGetTheirImagesOrTheReason) {
  const std::string driver = dir_.WriteFile("driver.bin", DriverFile(ChipModel::kArivane));
  const std::string image =
      dir_.WriteFile("new.bin", BinImage(ImageOptions(ChipModel::kArivane, {2, 2, 2})));
  const std::string tiny = dir_.WriteFile("tiny.bin", std::vector<uint8_t>(0x100, 0x00));
  const std::string missing = (dir_ / "missing.bin").string();
  struct Case {
    const char* name;
    std::string driverPath;
    std::string fwPath;
    std::string problem;  // empty: staged
  };
  const Case cases[] = {
      {"both files", driver, image, ""},
      {"not configured", missing, "", ""},
      {"missing driver", missing, image,
       "Host skipped: driver file \"" + missing + "\": Open driver file failed!"},
      {"no driver path", "", image, "Host skipped: no ISP driver file is configured"},
      {"too small for a driver", tiny, image,
       "Host skipped: driver file \"" + tiny +
           "\": not an ISP driver (0x800 to 0x8000 bytes, a length header within the file)"},
      {"missing BIN", driver, missing,
       "Host skipped: BIN file \"" + missing + "\": Open FW file failed!"},
      {"unsigned BIN", driver, tiny,
       "Host skipped: BIN file \"" + tiny + "\": Error: No correct F/W signature!"},
  };
  for (const Case& c : cases) {
    Configuration config;
    config.driverFilePath[0] = c.driverPath;
    config.fwFilePath[0] = c.fwPath;
    StageRunFiles(ctx, config);
    EXPECT_EQ(ctx.targets[0].fileProblem, c.problem) << c.name;
    const bool staged = c.problem.empty() && !c.fwPath.empty();
    EXPECT_EQ(ctx.targets[0].fwImage.has_value() && ctx.targets[0].driverImage.has_value(), staged)
        << c.name;
  }
}

}  // namespace
}  // namespace vexa::testing
