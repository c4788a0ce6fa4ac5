#pragma once

#include <string>

#include "app/configuration.h"
#include "frontends/model/control_layout.h"

namespace vexa::ui {

// The panel the main dialog shows below the adapter line: the file panel in the normal mode;
// in one-step mode the device panel when downstream ports are configured, else the version
// panel of the host chip.
enum class PanelKind { kFiles, kDevices, kVersion };
PanelKind PanelOfMode(const Configuration& config, bool portsConfigured);

// One-step mode hides "Refresh" and "Get FW Version" (the prompt queried the chips already)
// and names the start button "Update". Returns the start button's text.
std::string ArrangeModeButtons(ControlLayout& dialog, const Configuration& config);

// What the exit guard says when the dialog refuses to close during a run.
inline constexpr const char* kExitRefused =
    "Not allowed to exit!\r\nISP is still running!\r\nPlease wait!";

// The system menu's item that opens the About box.
std::string AboutItemText();

}  // namespace vexa::ui
