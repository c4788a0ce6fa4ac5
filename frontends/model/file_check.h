#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/configuration.h"
#include "frontends/model/colors.h"

namespace vexa::ui {

// What the file panel's check shows: each path's text colour (black when the file exists, red
// when not; nothing for an empty firmware path, whose box keeps its colour) and whether
// "Start" may be used.
struct FileCheck {
  Rgb driverText = kBlack;
  std::array<std::optional<Rgb>, kTargetCount> firmwareText;
  bool startAllowed = false;
};

// Checks the host's driver path and every target's firmware path. "Start" needs at least one
// firmware file, and the host's driver file unless downstream ports are configured (their
// driver paths come from the configuration file alone).
FileCheck ValidateFilePaths(const Configuration& config, bool portsConfigured);

// The path boxes show the end of a path longer than this (the file name), the start of any
// other.
inline constexpr size_t kLongPathChars = 60;
bool ShowsPathEnd(std::string_view path);

}  // namespace vexa::ui
