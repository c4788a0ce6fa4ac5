#include <QMessageBox>
#include <QStringList>
#include <cstdio>

#include "app/product.h"
#include "frontends/qt/gui_command_line.h"
#include "frontends/qt/qt_text.h"
#include "frontends/qt/travik_tool_app.h"

namespace {

// Whether a window system can be reached: then a usage error is also shown in a message box.
bool DisplayAvailable() {
#ifdef _WIN32
  return true;
#else
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const vexa::dialog::GuiCommandLine line = vexa::dialog::ParseGuiCommandLine(arguments);
  if (!line.options) {
    std::fputs(line.output.toLocal8Bit().constData(), stdout);
    if (!line.usageError.isEmpty()) {
      std::fprintf(stderr, "%s\n", line.usageError.toLocal8Bit().constData());
      if (DisplayAvailable()) {
        QApplication app(argc, argv);
        QMessageBox::critical(nullptr, vexa::dialog::ToQString(vexa::kProductName),
                              line.usageError);
      }
    }
    return line.exitCode;
  }
  // A screenshot renders without a display unless the caller chose a window system.
  if (!line.options->screenshotPath.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  vexa::dialog::VexaTravikToolApp app(argc, argv);
  return app.InitInstance(*line.options);
}
