#include "frontends/model/file_panel_layout.h"

#include "frontends/model/configured_rows.h"

namespace vexa::ui {

namespace {

// A row's label sits at y; its path box 3 pixels and its Browse button 6 pixels higher, as
// the template aligns their text.
void MoveFileRow(ControlLayout& panel, const FileRowIds& row, int y) {
  panel.rect(row.label).y = y;
  panel.rect(row.box).y = y - 3;
  panel.rect(row.browse).y = y - 6;
}

void ShowFileRow(ControlLayout& panel, const FileRowIds& row, bool visible) {
  panel.Show(row.label, visible);
  panel.Show(row.box, visible);
  panel.Show(row.browse, visible);
}

// The path box takes the place of its hidden Browse button.
void WidenOverBrowse(ControlLayout& panel, int box, int browse, int rightEdge) {
  panel.Show(browse, false);
  PixelRect& rect = panel.rect(box);
  rect.width = rightEdge - rect.x;
}

void ShrinkToRows(ControlLayout& panel, const Configuration& config) {
  const int lastBrowse =
      config.settings.fwFileCount == 2 ? kFirmwareRows[1].browse : kFirmwareRows[0].browse;
  const int bottom = panel.rect(lastBrowse).bottom() + kFileRowsGap;
  PixelRect& group = panel.rect(file_ids::kGroup);
  const int delta = bottom - group.bottom();
  group.height = bottom - group.y + kFileRowsGap;

  const std::array<int, 2> rowY = {panel.rect(kFirmwareRows[0].label).y,
                                   panel.rect(kFirmwareRows[1].label).y};
  const RowMoves moves = MovesOfConfiguredRows(config);
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (moves[i]) MoveFileRow(panel, kFirmwareRows[i], rowY[*moves[i]]);
  }
  panel.height += delta + kFileRowsGap;
}

}  // namespace

void ArrangeFileRows(ControlLayout& panel, const Configuration& config) {
  if (config.settings.fwFileCount != kTargetCount) ShrinkToRows(panel, config);

  if (config.fwFilePath[0].empty()) ShowFileRow(panel, kFirmwareRows[0], false);
  for (size_t i = 1; i < kTargetCount; ++i) {
    if (!config.fwFilePath[i].empty()) ShowFileRow(panel, kFirmwareRows[i], true);
  }

  const int rightEdge = panel.rect(kFirmwareRows[0].browse).right();
  if (config.settings.drvFileReadOnly) {
    WidenOverBrowse(panel, file_ids::kDriverBox, file_ids::kDriverBrowse, rightEdge);
  }
  if (config.settings.fwFileReadOnly) {
    for (const FileRowIds& row : kFirmwareRows) {
      WidenOverBrowse(panel, row.box, row.browse, rightEdge);
    }
  }
}

}  // namespace vexa::ui
