#include "frontends/win32/gui_command_line.h"

#include "app/product.h"

namespace vexa::win32 {

namespace {

constexpr const char* kHelp =
    "Usage: vexaisp-gui [options]\n"
    "  --config FILE         Configuration file (default: Config.ini beside the program).\n"
    "  --simulate BOARD      Detect the simulated board of a board file instead of this\n"
    "                        machine's graphics ports.\n"
    "  --screenshot FILE     Render the dialog after start-up to a PNG file and exit.\n"
    "  --dump-controls FILE  Write one line per control after start-up and exit.\n"
    "  --run                 With --screenshot or --dump-controls: press Start first and\n"
    "                        render after the run.\n"
    "  --help, --version\n";

GuiCommandLine UsageError(const std::string& text) {
  GuiCommandLine line;
  line.exitCode = kGuiExitUsage;
  line.usageError = text + "\nSee --help.";
  return line;
}

}  // namespace

GuiCommandLine ParseGuiCommandLine(const std::vector<std::string>& arguments) {
  GuiOptions options;
  const std::pair<const char*, std::string*> valued[] = {{"--config", &options.configPath},
                                                         {"--simulate", &options.simulateBoard},
                                                         {"--screenshot", &options.screenshotPath},
                                                         {"--dump-controls", &options.dumpPath}};
  GuiCommandLine line;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      line.output = kHelp;
      return line;
    }
    if (argument == "--version") {
      line.output = std::string("vexaisp-gui ") + kProductVersion + '\n';
      return line;
    }
    if (argument == "--run") {
      options.run = true;
      continue;
    }
    bool known = false;
    for (const auto& [name, value] : valued) {
      const std::string prefix = std::string(name) + '=';
      if (argument.rfind(prefix, 0) == 0) {
        *value = argument.substr(prefix.size());
      } else if (argument == name) {
        if (i + 1 >= arguments.size())
          return UsageError(std::string("Missing value after ") + name);
        *value = arguments[++i];
      } else {
        continue;
      }
      known = true;
      break;
    }
    if (!known) {
      const bool option = argument.rfind("-", 0) == 0;
      return UsageError((option ? "Unknown option: " : "Unexpected argument: ") + argument);
    }
  }
  if (options.run && !options.unattended()) {
    return UsageError("--run needs --screenshot FILE or --dump-controls FILE");
  }
  line.options = options;
  return line;
}

}  // namespace vexa::win32
