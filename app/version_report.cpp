#include "app/version_report.h"

#include "chip/version_text.h"
#include "engine/run/onboard_query.h"

namespace vexa {

namespace {

std::string NewVersionLine(const ChipInfo& chip, const FwFileInfo& file) {
  if (file.chipType == ChipType::kNone) return {};
  if (file.chipType != chip.chipType) {
    return "F/W BIN file not matched! (" + ChipTypeName(file.chipType) + ")";
  }
  return file.fwVersion > 0 ? "New F/W Version: " + FileVersionText(file) : std::string();
}

}  // namespace

std::string FirmwareVersionReport(const IspContext& ctx, const Configuration& config) {
  const bool several = config.settings.fwFileCount > 1;
  std::string text = "Current on-board info:\r\n";
  for (size_t i = 0; i < kTargetCount; ++i) {
    if (config.fwFilePath[i].empty()) continue;
    const std::string label = several || i > 0 ? TargetLabel(i) : std::string();
    const ChipInfo& chip = ctx.chipInfo[i];
    std::string line1;
    std::string line2;
    if (chip.chipType != ChipType::kNone) {
      line1 = "   " + label + OnBoardInfoText(chip);
      line2 = NewVersionLine(chip, ctx.fwFileInfo[i]);
    } else {
      line1 = "   " + label + "Connection failed! (" + ctx.connectErrorText[i] + ")";
    }
    text += line1 + (several ? "\r\n            " : "\r\n") + line2 + "\r\n";
  }
  return text;
}

}  // namespace vexa
