#include "frontends/qt/travik_tool_app.h"

int main(int argc, char** argv) {
  // A screenshot renders without a display unless the caller chose a window system.
  if (vexa::dialog::AsksForScreenshot(argc, argv) &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  vexa::dialog::VexaTravikToolApp app(argc, argv);
  return app.InitInstance();
}
