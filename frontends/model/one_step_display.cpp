#include "frontends/model/one_step_display.h"

#include "chip/version_text.h"
#include "engine/run/onboard_query.h"

namespace vexa::ui {

namespace {

constexpr const char* kFailedToConnect = "Failed to connect device!";

// The new-version text of a target whose chip answered.
std::string NewVersionText(const IspContext& ctx, size_t i) {
  const FwFileInfo& file = ctx.fwFileInfo[i];
  if (file.chipType == ChipType::kNone) return ctx.fwFileStatusText[i];
  if (file.chipType != ctx.chipInfo[i].chipType) return "F/W not matched with on-board chip!";
  return file.fwVersion > 0 ? FileVersionText(file) : "No F/W version information!";
}

bool FileMatchesOnBoardChip(const IspContext& ctx, size_t i) {
  return ctx.fwFileInfo[i].chipType != ChipType::kNone &&
         ctx.fwFileInfo[i].chipType == ctx.chipInfo[i].chipType;
}

}  // namespace

VersionPanelDisplay DescribeVersionPanel(const IspContext& ctx) {
  VersionPanelDisplay display;
  std::string newText;
  std::string extra;
  if (ctx.chipInfo[kHostTarget].chipType != ChipType::kNone) {
    display.current = OnBoardInfoText(ctx.chipInfo[kHostTarget]);
    display.updateAllowed = true;
    display.logText += "Current on-board info: " + display.current + "\r\n";
    newText = NewVersionText(ctx, kHostTarget);
    display.next = newText;
  } else {
    newText = kFailedToConnect;
    extra = ctx.connectErrorText[kHostTarget] + "\r\n";
    display.current = newText;
  }
  display.logText += "New F/W version: " + newText + "\r\n" + extra;
  return display;
}

DevicePanelDisplay DescribeDevicePanel(const IspContext& ctx, const TargetPaths& fwFilePath) {
  DevicePanelDisplay display;
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (fwFilePath[i].empty()) continue;
    DeviceRowDisplay row;
    const bool answered = ctx.chipInfo[i].chipType != ChipType::kNone;
    row.onBoard = answered ? OnBoardInfoText(ctx.chipInfo[i]) : kFailedToConnect;
    row.onBoardRed = !answered;
    display.logText += TargetLabel(i) + "\r\n   Current on-board info: " + row.onBoard + "\r\n";
    if (answered) {
      row.next = NewVersionText(ctx, i);
      display.updateAllowed = display.updateAllowed || FileMatchesOnBoardChip(ctx, i);
      display.logText += "   New F/W version: " + *row.next + "\r\n";
    } else {
      display.logText += "   " + ctx.connectErrorText[i] + "\r\n";
    }
    display.rows[i] = std::move(row);
  }
  return display;
}

}  // namespace vexa::ui
