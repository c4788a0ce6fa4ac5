#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace vexa::dialog {

// The dialog's command line.
struct GuiOptions {
  // Empty: "Config.ini" beside the executable.
  std::string configPath;
  // Board file of a simulated board to detect instead of this machine's graphics ports.
  std::string simulateBoard;
  // Render the dialog to this PNG file and exit instead of waiting for the user.
  QString screenshotPath;
  // With a screenshot: press Start first and render once the run has ended.
  bool run = false;
};

// What the command line asks for. Read before any application object exists, so that --help,
// --version and usage errors need no display.
struct GuiCommandLine {
  // Set: start the dialog with these options. Unset: exit with exitCode after printing
  // output (help, version) to stdout or usageError to stderr.
  std::optional<GuiOptions> options;
  int exitCode = 0;
  QString output;
  QString usageError;
};

// Exit code of a usage error, as the command-line tool's.
inline constexpr int kGuiExitUsage = 2;

// arguments[0] is the program.
GuiCommandLine ParseGuiCommandLine(const QStringList& arguments);

}  // namespace vexa::dialog
