#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tool_transport.h"

namespace vexa::cli {

enum class Command { kNone, kDetect, kVersions, kUpdate, kInspect };

// What the command line asked for.
struct CliOptions {
  Command command = Command::kNone;
  // Empty: "Config.ini" beside the executable.
  std::string configPath;
  // Board file of the simulated board to use as the only transport; empty: the vendors'.
  std::string simulateBoard;
  // File for one line per transport transaction; empty: no trace.
  std::string tracePath;
  bool stats = false;
  // update: do not ask before programming.
  bool yes = false;
  // inspect: the files to look at.
  std::vector<std::string> files;
  // Opens the transport in place of the board file or this machine's backends, for tests that
  // run the commands over a backend of their own. Null with error set when it cannot.
  std::function<std::unique_ptr<ToolTransport>(std::string& error)> openTransport;
};

}  // namespace vexa::cli
