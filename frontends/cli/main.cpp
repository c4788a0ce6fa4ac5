#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "app/product.h"
#include "frontends/cli/cli_options.h"
#include "frontends/cli/commands.h"
#include "frontends/cli/exit_codes.h"

using vexa::cli::CliOptions;
using vexa::cli::Command;

namespace {

constexpr std::array<std::string_view, 4> kCommands = {"detect", "versions", "update", "inspect"};
// Options before the command that take a value.
constexpr std::array<std::string_view, 3> kValueOptions = {"--config", "--simulate", "--trace"};

// The first word in command position when it names no command. The parser would only say
// that a command is required, which hides the typing mistake.
std::optional<std::string> UnknownCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (std::find(kValueOptions.begin(), kValueOptions.end(), arg) != kValueOptions.end()) {
      ++i;
      continue;
    }
    if (arg.starts_with("-")) continue;
    if (std::find(kCommands.begin(), kCommands.end(), arg) != kCommands.end()) return std::nullopt;
    return std::string(arg);
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  CliOptions options;
  CLI::App app{
      "Firmware update tool for DisplayPort converter chips: detects the graphics adapter and "
      "the chip behind it, shows on-board and file firmware versions, and programs the chips' "
      "flash through the AUX channel. Every run is logged to VexaISP.log in the current "
      "directory.",
      "vexaisp"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("vexaisp ") + vexa::kBuildVersion);
  app.footer(
      "Exit codes: 0 success; 1 the run, a version query or an inspected file failed; 2 usage, "
      "configuration or board-file error; 3 no adapter or no chip found.");
  app.add_option("--config", options.configPath,
                 "Configuration file (default: Config.ini beside the executable); relative paths "
                 "in it are relative to its folder")
      ->option_text("FILE");
  app.add_option("--simulate", options.simulateBoard,
                 "Use the simulated board described by BOARD as the only transport")
      ->option_text("BOARD");
  app.add_option("--trace", options.tracePath, "Write one line per transport transaction to FILE")
      ->option_text("FILE");
  app.add_flag("--stats", options.stats,
               "After update: print AUX transactions, bytes moved, protocol and wall time");

  CLI::App* detect = app.add_subcommand(
      "detect", "Adapter detection: the adapter report, then the adapter line and status word");
  CLI::App* versions = app.add_subcommand(
      "versions", "Show each configured chip's on-board firmware and its BIN file's version");
  CLI::App* update =
      app.add_subcommand("update", "Program every configured target from its driver and BIN file");
  update->add_flag("--yes,-y", options.yes, "Do not ask for confirmation");
  CLI::App* inspect =
      app.add_subcommand("inspect", "Show what the tool reads from BIN files and ISP driver files");
  inspect->add_option("files", options.files, "BIN or driver files")
      ->required()
      ->option_text("FILE...");
  detect->callback([&] { options.command = Command::kDetect; });
  versions->callback([&] { options.command = Command::kVersions; });
  update->callback([&] { options.command = Command::kUpdate; });
  inspect->callback([&] { options.command = Command::kInspect; });

  if (const std::optional<std::string> unknown = UnknownCommand(argc, argv)) {
    std::cerr << "vexaisp: unknown command \"" << *unknown
              << "\" (commands: detect, versions, update, inspect; see --help)\n";
    return vexa::cli::kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? vexa::cli::kExitSuccess : vexa::cli::kExitUsage;
  }

  switch (options.command) {
    case Command::kDetect:
      return vexa::cli::RunDetect(options);
    case Command::kVersions:
      return vexa::cli::RunVersions(options);
    case Command::kUpdate:
      return vexa::cli::RunUpdate(options);
    case Command::kInspect:
      return vexa::cli::RunInspect(options);
    case Command::kNone:
      break;
  }
  return vexa::cli::kExitUsage;
}
