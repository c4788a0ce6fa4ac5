#pragma once

#include <QApplication>
#include <QString>
#include <optional>
#include <string>

namespace vexa::dialog {

class VexaTravikToolDlg;

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

// True when the command line asks for a screenshot, which renders without a display: decided
// before the application object exists, since that picks the window system.
bool AsksForScreenshot(int argc, char** argv);

// The application: opens the main dialog modally and ends when it closes.
class VexaTravikToolApp : public QApplication {
  Q_OBJECT

 public:
  VexaTravikToolApp(int& argc, char** argv);

  // Reads the command line, sets up the transport and the engine, and runs the dialog.
  // Returns the program's exit code.
  int InitInstance();

 private:
  // Nothing when the command line is wrong (it has said why).
  std::optional<GuiOptions> ParseOptions();
  // The --screenshot mode: renders the dialog, after a run with --run; the exit code.
  int RenderScreenshot(VexaTravikToolDlg& dialog, const GuiOptions& options);
};

}  // namespace vexa::dialog
