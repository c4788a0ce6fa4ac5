#include "frontends/qt/gui_command_line.h"

#include <QCommandLineParser>

#include "app/product.h"
#include "frontends/qt/qt_text.h"

namespace vexa::dialog {

GuiCommandLine ParseGuiCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      ToQString(ProductCaption() + ": firmware update of DisplayPort converter chips"));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
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

  GuiCommandLine line;
  if (!parser.parse(arguments)) {
    line.exitCode = kGuiExitUsage;
    line.usageError = parser.errorText() + QStringLiteral("\nSee --help.");
    return line;
  }
  if (parser.isSet(help)) {
    line.output = parser.helpText();
    return line;
  }
  if (parser.isSet(version)) {
    line.output = QStringLiteral("vexaisp-gui ") + ToQString(kBuildVersion) + '\n';
    return line;
  }
  if (!parser.positionalArguments().isEmpty()) {
    line.exitCode = kGuiExitUsage;
    line.usageError = QStringLiteral("Unexpected argument: ") + parser.positionalArguments()[0] +
                      QStringLiteral("\nSee --help.");
    return line;
  }

  GuiOptions options;
  options.configPath = ToUtf8(parser.value(config));
  options.simulateBoard = ToUtf8(parser.value(simulate));
  options.screenshotPath = parser.value(screenshot);
  options.run = parser.isSet(run);
  if (options.run && options.screenshotPath.isEmpty()) {
    line.exitCode = kGuiExitUsage;
    line.usageError = QStringLiteral("--run needs --screenshot FILE");
    return line;
  }
  line.options = options;
  return line;
}

}  // namespace vexa::dialog
