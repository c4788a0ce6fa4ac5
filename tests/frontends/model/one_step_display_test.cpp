#include "frontends/model/one_step_display.h"

#include <gtest/gtest.h>

#include "chip/version_text.h"
#include "engine/run/onboard_query.h"
#include "util/clock.h"

namespace vexa::ui {
namespace {

// The results an on-board query leaves in the context, set by hand per target.
class OneStepDisplayTest : public ::testing::Test {
 protected:
  void Answered(size_t i, ChipType chip) {
    ctx.chipInfo[i].chipType = chip;
    ctx.chipInfo[i].fwVersion = 0x010203;
  }
  void File(size_t i, ChipType chip, uint32_t version) {
    ctx.fwFileInfo[i].chipType = chip;
    ctx.fwFileInfo[i].fwVersion = version;
  }
  std::string OnBoard(size_t i) const { return OnBoardInfoText(ctx.chipInfo[i]); }
  std::string FileVersion(size_t i) const { return FileVersionText(ctx.fwFileInfo[i]); }

  VirtualClock clock;
  IspContext ctx{clock};
};

TEST_F(OneStepDisplayTest, VersionPanelShowsBothVersionsOfAnAnsweringHost) {
  Answered(0, ChipType::kArivane);
  File(0, ChipType::kArivane, 0x020304);
  const VersionPanelDisplay display = DescribeVersionPanel(ctx);
  EXPECT_EQ(display.current, OnBoard(0));
  EXPECT_EQ(display.next, FileVersion(0));
  EXPECT_TRUE(display.updateAllowed);
  EXPECT_EQ(display.logText, "Current on-board info: " + OnBoard(0) +
                                 "\r\nNew F/W version: " + FileVersion(0) + "\r\n");
}

TEST_F(OneStepDisplayTest, VersionPanelNamesTheFileProblem) {
  Answered(0, ChipType::kArivane);
  ctx.fwFileStatusText[0] = "Open FW file failed!\r\n";
  EXPECT_EQ(DescribeVersionPanel(ctx).next, "Open FW file failed!\r\n");

  File(0, ChipType::kArivane, 0);
  EXPECT_EQ(DescribeVersionPanel(ctx).next, "No F/W version information!");

  // Another chip type: said, and "Update" stays (the run refuses the file itself).
  File(0, ChipType::kSolvenia, 0x010000);
  const VersionPanelDisplay display = DescribeVersionPanel(ctx);
  EXPECT_EQ(display.next, "F/W not matched with on-board chip!");
  EXPECT_TRUE(display.updateAllowed);
}

TEST_F(OneStepDisplayTest, VersionPanelOfAHostThatDidNotAnswer) {
  File(0, ChipType::kArivane, 0x020304);
  ctx.connectErrorText[0] = "Error (11): SendIspDdcCmd: No ACK!";
  VersionPanelDisplay display = DescribeVersionPanel(ctx);
  EXPECT_EQ(display.current, "Failed to connect device!");
  EXPECT_FALSE(display.next);
  EXPECT_FALSE(display.updateAllowed);
  EXPECT_EQ(display.logText,
            "New F/W version: Failed to connect device!\r\nError (11): SendIspDdcCmd: No ACK!\r\n");

  // Without a firmware path the host takes no part: an empty error line.
  ctx.connectErrorText[0].clear();
  display = DescribeVersionPanel(ctx);
  EXPECT_EQ(display.logText, "New F/W version: Failed to connect device!\r\n\r\n");
}

TEST_F(OneStepDisplayTest, DevicePanelRowsOfConfiguredTargets) {
  const TargetPaths paths = {"", "p1.bin", "p2.bin"};
  Answered(1, ChipType::kArivane);
  File(1, ChipType::kArivane, 0x020304);
  File(2, ChipType::kSolvenia, 0x010000);
  ctx.connectErrorText[2] = "Gfx Error (-1): No answer";

  const DevicePanelDisplay display = DescribeDevicePanel(ctx, paths);
  EXPECT_FALSE(display.rows[0]);
  ASSERT_TRUE(display.rows[1]);
  EXPECT_EQ(display.rows[1]->onBoard, OnBoard(1));
  EXPECT_FALSE(display.rows[1]->onBoardRed);
  EXPECT_EQ(display.rows[1]->next, FileVersion(1));
  ASSERT_TRUE(display.rows[2]);
  EXPECT_EQ(display.rows[2]->onBoard, "Failed to connect device!");
  EXPECT_TRUE(display.rows[2]->onBoardRed);
  EXPECT_FALSE(display.rows[2]->next);
  EXPECT_TRUE(display.updateAllowed);
  EXPECT_EQ(display.logText, "<Port#1> \r\n   Current on-board info: " + OnBoard(1) +
                                 "\r\n   New F/W version: " + FileVersion(1) +
                                 "\r\n<Port#2> \r\n   Current on-board info: Failed to connect "
                                 "device!\r\n   Gfx Error (-1): No answer\r\n");
}

TEST_F(OneStepDisplayTest, DevicePanelUpdatesOnlyWithAMatchingFile) {
  const TargetPaths paths = {"host.bin", "p1.bin", ""};
  Answered(0, ChipType::kOcelin4100);
  File(0, ChipType::kArivane, 0x020304);  // another chip's file
  Answered(1, ChipType::kArivane);
  ctx.fwFileStatusText[1] = "Error: No correct F/W signature!";
  DevicePanelDisplay display = DescribeDevicePanel(ctx, paths);
  EXPECT_EQ(display.rows[0]->next, "F/W not matched with on-board chip!");
  EXPECT_EQ(display.rows[1]->next, "Error: No correct F/W signature!");
  EXPECT_FALSE(display.updateAllowed);

  File(1, ChipType::kArivane, 0);  // matches, without a version
  display = DescribeDevicePanel(ctx, paths);
  EXPECT_EQ(display.rows[1]->next, "No F/W version information!");
  EXPECT_TRUE(display.updateAllowed);
}

}  // namespace
}  // namespace vexa::ui
