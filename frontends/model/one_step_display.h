#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/configuration.h"
#include "engine/isp_context.h"

namespace vexa::ui {

// The one-step prompt of the host-only setup, from the results of the on-board query.
struct VersionPanelDisplay {
  std::string current;
  // Hidden with its label when the host chip did not answer.
  std::optional<std::string> next;
  // What the log file receives, in order.
  std::string logText;
  // The host chip answered: "Update" may stay enabled, even for a file of another chip type
  // (the run itself refuses a file that does not match).
  bool updateAllowed = false;
};
VersionPanelDisplay DescribeVersionPanel(const IspContext& ctx);

// One row of the device panel.
struct DeviceRowDisplay {
  std::string onBoard;
  // The chip did not answer.
  bool onBoardRed = false;
  // Hidden with the row's arrow when the chip did not answer.
  std::optional<std::string> next;
};

// The one-step prompt with downstream ports: a row per target with a firmware path.
struct DevicePanelDisplay {
  std::array<std::optional<DeviceRowDisplay>, kTargetCount> rows;
  std::string logText;
  // At least one answering chip has a file of its own chip type.
  bool updateAllowed = false;
};
DevicePanelDisplay DescribeDevicePanel(const IspContext& ctx, const TargetPaths& fwFilePath);

}  // namespace vexa::ui
