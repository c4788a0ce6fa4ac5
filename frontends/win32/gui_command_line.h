#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexa::win32 {

// The dialog's command line; every text UTF-8.
struct GuiOptions {
  // Empty: "Config.ini" beside the executable.
  std::string configPath;
  // Board file of a simulated board to detect instead of this machine's graphics ports.
  std::string simulateBoard;
  // Render the dialog to this PNG file and exit instead of waiting for the user.
  std::string screenshotPath;
  // Write one line per control to this file and exit instead of waiting for the user.
  std::string dumpPath;
  // Unattended: press Start first and render once the run has ended.
  bool run = false;

  bool unattended() const { return !screenshotPath.empty() || !dumpPath.empty(); }
};

// What the command line asks for. Set options: start the dialog. Unset: exit with exitCode
// after showing output (help, version) or usageError.
struct GuiCommandLine {
  std::optional<GuiOptions> options;
  int exitCode = 0;
  std::string output;
  std::string usageError;
};

// Exit code of a usage error, as the command-line tool's.
inline constexpr int kGuiExitUsage = 2;

// arguments[0] is the program.
GuiCommandLine ParseGuiCommandLine(const std::vector<std::string>& arguments);

}  // namespace vexa::win32
