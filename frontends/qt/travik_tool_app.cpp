#include "frontends/qt/travik_tool_app.h"

#include <QMessageBox>
#include <cstdio>
#include <memory>

#include "app/product.h"
#include "app/tool_transport.h"
#include "engine/isp_context.h"
#include "frontends/qt/qt_text.h"
#include "frontends/qt/screenshot.h"
#include "frontends/qt/travik_tool_dlg.h"

namespace vexa::dialog {

namespace {

constexpr int kExitFailure = 1;

void ReportError(const QString& text, bool interactive) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  if (interactive) QMessageBox::critical(nullptr, ToQString(kProductName), text);
}

}  // namespace

VexaTravikToolApp::VexaTravikToolApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(ToQString(kProductName));
  setApplicationVersion(ToQString(kBuildVersion));
}

int VexaTravikToolApp::InitInstance(const GuiOptions& options) {
  const bool interactive = options.screenshotPath.isEmpty();

  // The transport first: a simulated board in virtual time gives the engine its clock.
  std::string error;
  const std::unique_ptr<ToolTransport> transport = OpenToolTransport(options.simulateBoard, error);
  if (!transport) {
    ReportError(ToQString(error), interactive);
    return kGuiExitUsage;
  }
  IspContext ctx(*transport->clock);
  InitIspContext(ctx);

  DialogSetup setup;
  setup.backends = transport->backends;
  setup.configPath = options.configPath;
  VexaTravikToolDlg dialog(ctx, setup);
  if (!interactive) return RenderScreenshot(dialog, options);
  dialog.exec();
  return 0;
}

int VexaTravikToolApp::RenderScreenshot(VexaTravikToolDlg& dialog, const GuiOptions& options) {
  int exitCode = 0;
  // The picture shows the start-up detection and query finished.
  dialog.CompleteJobs();
  if (options.run && !dialog.startButton()->isEnabled()) {
    ReportError(QStringLiteral("--run: \"Start\" is not enabled; rendering without a run"), false);
    exitCode = kExitFailure;
  } else if (options.run) {
    connect(&dialog, &VexaTravikToolDlg::RunEnded, this, &QApplication::quit);
    dialog.StartRun();
    // A run that could not start has said so in the output box, which the picture shows.
    if (dialog.session().RunInProgress()) {
      dialog.show();
      exec();
    }
  }
  dialog.show();
  QApplication::processEvents();
  if (!GrabAsShown(dialog).save(options.screenshotPath, "PNG")) {
    ReportError(QStringLiteral("Cannot write the screenshot ") + options.screenshotPath, false);
    return kExitFailure;
  }
  return exitCode;
}

}  // namespace vexa::dialog
