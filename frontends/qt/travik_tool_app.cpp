#include "frontends/qt/travik_tool_app.h"

#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "app/product.h"
#include "app/tool_transport.h"
#include "engine/isp_context.h"
#include "frontends/qt/qt_text.h"
#include "frontends/qt/travik_tool_dlg.h"

namespace vexa::dialog {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void ReportError(const QString& text, bool interactive) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  if (interactive) QMessageBox::critical(nullptr, ToQString(kProductName), text);
}

}  // namespace

bool AsksForScreenshot(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 ||
        std::strncmp(argv[i], "--screenshot=", 13) == 0) {
      return true;
    }
  }
  return false;
}

VexaTravikToolApp::VexaTravikToolApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(ToQString(kProductName));
  setApplicationVersion(ToQString(kProductVersion));
}

std::optional<GuiOptions> VexaTravikToolApp::ParseOptions() {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      ToQString(ProductCaption() + ": firmware update of DisplayPort converter chips"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption config(QStringLiteral("config"),
                                  QStringLiteral("Configuration file (default: Config.ini "
                                                 "beside the program)."),
                                  QStringLiteral("FILE"));
  const QCommandLineOption simulate(
      QStringLiteral("simulate"),
      QStringLiteral("Detect the simulated board of a board file instead of this machine's "
                     "graphics ports."),
      QStringLiteral("BOARD"));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Render the dialog after start-up to a PNG file and exit."),
      QStringLiteral("FILE"));
  const QCommandLineOption run(
      QStringLiteral("run"),
      QStringLiteral("With --screenshot: press Start first and render after the run."));
  parser.addOptions({config, simulate, screenshot, run});
  parser.process(*this);

  GuiOptions options;
  options.configPath = ToUtf8(parser.value(config));
  options.simulateBoard = ToUtf8(parser.value(simulate));
  options.screenshotPath = parser.value(screenshot);
  options.run = parser.isSet(run);
  if (options.run && options.screenshotPath.isEmpty()) {
    ReportError(QStringLiteral("--run needs --screenshot FILE"), false);
    return std::nullopt;
  }
  return options;
}

int VexaTravikToolApp::InitInstance() {
  const std::optional<GuiOptions> options = ParseOptions();
  if (!options) return kExitUsage;
  const bool interactive = options->screenshotPath.isEmpty();

  // The transport first: a simulated board in virtual time gives the engine its clock.
  std::string error;
  const std::unique_ptr<ToolTransport> transport = OpenToolTransport(options->simulateBoard, error);
  if (!transport) {
    ReportError(ToQString(error), interactive);
    return kExitUsage;
  }
  IspContext ctx(*transport->clock);
  InitIspContext(ctx);

  DialogSetup setup;
  setup.backends = transport->backends;
  setup.configPath = options->configPath;
  VexaTravikToolDlg dialog(ctx, setup);
  if (!interactive) return RenderScreenshot(dialog, *options);
  dialog.exec();
  return 0;
}

int VexaTravikToolApp::RenderScreenshot(VexaTravikToolDlg& dialog, const GuiOptions& options) {
  int exitCode = 0;
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
  if (!dialog.grab().save(options.screenshotPath, "PNG")) {
    ReportError(QStringLiteral("Cannot write the screenshot ") + options.screenshotPath, false);
    return kExitFailure;
  }
  return exitCode;
}

}  // namespace vexa::dialog
