#include <gtest/gtest.h>

#include <array>
#include <ostream>

#include "frontends/model/configured_rows.h"
#include "frontends/model/control_layout.h"
#include "frontends/model/device_panel_layout.h"
#include "frontends/model/dialog_templates.h"
#include "frontends/model/file_panel_layout.h"
#include "frontends/model/main_layout.h"
#include "tests/frontends/model/shell_dlg_units.h"

namespace vexa::ui {
namespace {

Configuration ConfigWith(std::array<bool, kTargetCount> firmware) {
  Configuration config;
  const TargetPaths names = {"host.bin", "p1.bin", "p2.bin"};
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (!firmware[i]) continue;
    config.fwFilePath[i] = names[i];
    ++config.settings.fwFileCount;
  }
  return config;
}

// One case of configured firmware paths and where the rows end up. Template label rows sit
// at 76 (host), 112 (Port#1) and 148 (Port#2) pixels; -1 marks a hidden row.
struct FileRowsCase {
  const char* name;
  std::array<bool, kTargetCount> firmware;
  std::array<int, kTargetCount> labelY;
  int groupBottom;
  int panelHeight;
  friend void PrintTo(const FileRowsCase& c, std::ostream* os) { *os << c.name; }
};

class FileRows : public ::testing::TestWithParam<FileRowsCase> {
 protected:
  const ControlLayout template_{FilePanelTemplate(), kShellDlg8};
};

TEST_P(FileRows, MoveUpAndShrinkThePanel) {
  const FileRowsCase& c = GetParam();
  Configuration config = ConfigWith(c.firmware);
  ConfigureHostRowWhenNoneIs(config);
  ControlLayout panel(FilePanelTemplate(), kShellDlg8);
  ArrangeFileRows(panel, config);

  for (size_t i = 0; i < kTargetCount; ++i) {
    const FileRowIds& row = kFirmwareRows[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(panel.at(row.label).visible, c.labelY[i] >= 0);
    EXPECT_EQ(panel.at(row.box).visible, c.labelY[i] >= 0);
    if (c.labelY[i] < 0) continue;
    EXPECT_EQ(panel.rect(row.label).y, c.labelY[i]);
    // A moved row keeps its controls aligned as the template does; one that stays keeps the
    // template's own rounding.
    const bool moved = c.labelY[i] != template_.rect(row.label).y;
    EXPECT_EQ(panel.rect(row.box).y, moved ? c.labelY[i] - 3 : template_.rect(row.box).y);
    EXPECT_EQ(panel.rect(row.browse).y, moved ? c.labelY[i] - 6 : template_.rect(row.browse).y);
  }
  EXPECT_EQ(panel.rect(file_ids::kGroup).bottom(), c.groupBottom);
  EXPECT_EQ(panel.height, c.panelHeight);
}

// The group box ends 10 pixels below the last Browse button (99 for the host row, 135 for
// the Port#1 row); the panel keeps its 6-pixel margin below it. All three rows: the template.
INSTANTIATE_TEST_SUITE_P(
    FirmwarePaths, FileRows,
    ::testing::Values(FileRowsCase{"HostOnly", {true, false, false}, {76, -1, -1}, 109, 115},
                      FileRowsCase{
                          "NoneTakesTheHostRow", {false, false, false}, {76, -1, -1}, 109, 115},
                      FileRowsCase{"Port1Only", {false, true, false}, {-1, 76, -1}, 109, 115},
                      FileRowsCase{"Port2Only", {false, false, true}, {-1, -1, 76}, 109, 115},
                      FileRowsCase{"HostAndPort1", {true, true, false}, {76, 112, -1}, 145, 151},
                      FileRowsCase{"HostAndPort2", {true, false, true}, {76, -1, 112}, 145, 151},
                      FileRowsCase{"Ports", {false, true, true}, {-1, 76, 112}, 145, 151},
                      FileRowsCase{"All", {true, true, true}, {76, 112, 148}, 179, 185}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileRowLayout, WithoutAnyFirmwareTheHostRowShowsOneBlank) {
  Configuration config;
  ConfigureHostRowWhenNoneIs(config);
  EXPECT_EQ(config.settings.fwFileCount, 1);
  EXPECT_EQ(config.fwFilePath[0], " ");
}

TEST(FileRowLayout, ReadOnlyPathsHideBrowseAndReachItsRightEdge) {
  Configuration config = ConfigWith({true, true, true});
  ControlLayout panel(FilePanelTemplate(), kShellDlg8);
  const int browseRight = panel.rect(kFirmwareRows[0].browse).right();
  ArrangeFileRows(panel, config);  // both read-only by default
  for (int box : {file_ids::kDriverBox, kFirmwareRows[0].box, kFirmwareRows[2].box}) {
    EXPECT_EQ(panel.rect(box).right(), browseRight);
  }
  for (int browse : {file_ids::kDriverBrowse, kFirmwareRows[0].browse, kFirmwareRows[1].browse}) {
    EXPECT_FALSE(panel.at(browse).visible);
  }

  config.settings.drvFileReadOnly = false;
  config.settings.fwFileReadOnly = false;
  ControlLayout editable(FilePanelTemplate(), kShellDlg8);
  const PixelRect templateBox = editable.rect(file_ids::kDriverBox);
  ArrangeFileRows(editable, config);
  EXPECT_EQ(editable.rect(file_ids::kDriverBox), templateBox);
  EXPECT_TRUE(editable.at(file_ids::kDriverBrowse).visible);
  EXPECT_TRUE(editable.at(kFirmwareRows[2].browse).visible);
}

// On-board boxes of the template rows sit at 8, 33 and 57 pixels; labels and arrows 2 lower.
struct TargetRowsCase {
  const char* name;
  std::array<bool, kTargetCount> firmware;
  std::array<int, kTargetCount> boxY;
  int panelHeight;
  friend void PrintTo(const TargetRowsCase& c, std::ostream* os) { *os << c.name; }
};

class TargetRows : public ::testing::TestWithParam<TargetRowsCase> {
 protected:
  const ControlLayout template_{DevicePanelTemplate(), kShellDlg8};
};

TEST_P(TargetRows, MoveUpAndEndBelowTheLastRow) {
  const TargetRowsCase& c = GetParam();
  Configuration config = ConfigWith(c.firmware);
  ControlLayout panel(DevicePanelTemplate(), kShellDlg8);
  ArrangeTargetRows(panel, config);

  for (size_t i = 0; i < kTargetCount; ++i) {
    const DeviceRowIds& row = kDeviceRows[i];
    SCOPED_TRACE(i);
    for (int id : {row.label, row.onBoard, row.arrow, row.newVersion}) {
      EXPECT_EQ(panel.at(id).visible, c.boxY[i] >= 0);
    }
    if (c.boxY[i] < 0) continue;
    EXPECT_EQ(panel.rect(row.onBoard).y, c.boxY[i]);
    EXPECT_EQ(panel.rect(row.newVersion).y, c.boxY[i]);
    const bool moved = c.boxY[i] != template_.rect(row.onBoard).y;
    EXPECT_EQ(panel.rect(row.label).y, moved ? c.boxY[i] + 2 : template_.rect(row.label).y);
    EXPECT_EQ(panel.rect(row.arrow).y, moved ? c.boxY[i] + 2 : template_.rect(row.arrow).y);
  }
  EXPECT_EQ(panel.height, c.panelHeight);
}

INSTANTIATE_TEST_SUITE_P(
    FirmwarePaths, TargetRows,
    ::testing::Values(TargetRowsCase{"Port1Only", {false, true, false}, {-1, 8, -1}, 38},
                      TargetRowsCase{"HostAndPort2", {true, false, true}, {8, -1, 33}, 63},
                      TargetRowsCase{"Ports", {false, true, true}, {-1, 8, 33}, 63},
                      TargetRowsCase{"All", {true, true, true}, {8, 33, 57}, 87}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainLayout, StacksTheLowerControlsBelowThePanel) {
  ControlLayout dialog(MainDialogTemplate(), kShellDlg8);
  const PixelRect output = dialog.rect(main_ids::kOutputBox);
  ArrangeMainLayout(dialog, 218);

  // 5 below the panel, then each control's height and a gap of 7, 7 and 8.
  EXPECT_EQ(dialog.rect(main_ids::kProgress).y, 223);
  EXPECT_EQ(dialog.rect(main_ids::kOutputLabel).y, 223 + 24 + 7);
  EXPECT_EQ(dialog.rect(main_ids::kOutputBox), (PixelRect{output.x, 274, output.width, 107}));
  for (int id : {main_ids::kButtonFrame, main_ids::kGetFwVersion, main_ids::kStart}) {
    EXPECT_EQ(dialog.rect(id).y, 389);
  }
  // The window ends two button heights and 13 pixels below the buttons, frame included.
  EXPECT_EQ(dialog.height, 389 + 2 * 33 + 13 - kWindowsDialogFrameHeight);
  EXPECT_EQ(dialog.width, 546);
}

}  // namespace
}  // namespace vexa::ui
