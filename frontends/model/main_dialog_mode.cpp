#include "frontends/model/main_dialog_mode.h"

#include "app/product.h"
#include "frontends/model/dialog_templates.h"

namespace vexa::ui {

PanelKind PanelOfMode(const Configuration& config, bool portsConfigured) {
  if (!config.settings.oneStepProgramming) return PanelKind::kFiles;
  return portsConfigured ? PanelKind::kDevices : PanelKind::kVersion;
}

std::string ArrangeModeButtons(ControlLayout& dialog, const Configuration& config) {
  if (!config.settings.oneStepProgramming) return "Start";
  dialog.Show(main_ids::kRefresh, false);
  dialog.Show(main_ids::kGetFwVersion, false);
  return "Update";
}

std::string AboutItemText() {
  return std::string("&About ") + kProductName + "...";
}

}  // namespace vexa::ui
