#pragma once

#include <QApplication>
#include <QString>

#include "frontends/qt/gui_command_line.h"

namespace vexa::dialog {

class VexaTravikToolDlg;

// The application: opens the main dialog modally and ends when it closes.
class VexaTravikToolApp : public QApplication {
  Q_OBJECT

 public:
  VexaTravikToolApp(int& argc, char** argv);

  // Sets up the transport and the engine and runs the dialog with options. Returns the
  // program's exit code.
  int InitInstance(const GuiOptions& options);

 private:
  // The --screenshot mode: renders the dialog, after a run with --run; the exit code.
  int RenderScreenshot(VexaTravikToolDlg& dialog, const GuiOptions& options);
};

}  // namespace vexa::dialog
