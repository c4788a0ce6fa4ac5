#include <CLI/CLI.hpp>

#include "frontends/cli/cli_options.h"
#include "frontends/cli/commands.h"
#include "frontends/cli/exit_codes.h"

using vexa::cli::CliOptions;
using vexa::cli::Command;

int main(int argc, char** argv) {
  CliOptions options;
  CLI::App app{
      "Firmware update tool for DisplayPort converter chips: detects the graphics adapter and "
      "the chip behind it, shows on-board and file firmware versions, and programs the chips' "
      "flash through the AUX channel. Every run is logged to VexaISP.log in the current "
      "directory.",
      "vexaisp"};
  app.require_subcommand(1);
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
