#include "frontends/model/device_panel_layout.h"

#include <algorithm>

#include "frontends/model/configured_rows.h"

namespace vexa::ui {

namespace {

// Puts a row at y: its boxes at y, its label and arrow 2 pixels lower, as the template aligns
// their text.
void MoveTargetRow(ControlLayout& panel, size_t row, int y) {
  const DeviceRowIds& ids = kDeviceRows[row];
  panel.rect(ids.label).y = y + 2;
  panel.rect(ids.onBoard).y = y;
  panel.rect(ids.arrow).y = y + 2;
  panel.rect(ids.newVersion).y = y;
}

void ShowTargetRow(ControlLayout& panel, size_t row, bool visible) {
  const DeviceRowIds& ids = kDeviceRows[row];
  for (int id : {ids.label, ids.onBoard, ids.arrow, ids.newVersion}) panel.Show(id, visible);
}

}  // namespace

void ArrangeTargetRows(ControlLayout& panel, const Configuration& config) {
  const size_t lastRow = std::clamp<size_t>(config.settings.fwFileCount, 1, kTargetCount) - 1;
  const int lastBottom = panel.rect(kDeviceRows[lastRow].onBoard).bottom();

  const std::array<int, 2> rowY = {panel.rect(kDeviceRows[0].onBoard).y,
                                   panel.rect(kDeviceRows[1].onBoard).y};
  const RowMoves moves = MovesOfConfiguredRows(config);
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (moves[i]) MoveTargetRow(panel, i, rowY[*moves[i]]);
  }
  panel.height = lastBottom + kDeviceRowsBottomGap;

  if (config.fwFilePath[0].empty()) ShowTargetRow(panel, 0, false);
  for (size_t i = 1; i < kTargetCount; ++i) {
    if (!config.fwFilePath[i].empty()) ShowTargetRow(panel, i, true);
  }
}

}  // namespace vexa::ui
