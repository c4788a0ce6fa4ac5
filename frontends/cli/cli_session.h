#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "app/adapter_display.h"
#include "app/configuration.h"
#include "app/log_file.h"
#include "app/product.h"
#include "app/tool_transport.h"
#include "engine/isp_context.h"
#include "frontends/cli/cli_options.h"
#include "transport/tracing_gfx_lib.h"

namespace vexa::cli {

// What the dialog sets up before its buttons work, for one command: the configuration, the
// log file and its header, the transport (the simulated board, or this machine's vendor
// backends) and adapter detection. The engine context runs on the board's clock when a board
// is simulated, else on the real clock.
class CliSession {
 public:
  explicit CliSession(const CliOptions& options) : options_(options) {}

  // Reads the configuration, prepares the log file and opens the transport. Returns an exit
  // code, kExitSuccess when the session is ready; a failure has printed its error line.
  int Open();

  // Adapter detection as the dialog's refresh does it, with the report written to the log
  // file (and into report). The context's transport is the detected one (wrapped for --trace
  // and --stats).
  AdapterDisplay Detect(std::string& report);

  // Open, then Detect; kExitSuccess when the chip answered, else the exit code with its error
  // line printed. For the commands that talk to the chip.
  int OpenConnected();

  IspContext& ctx() { return *ctx_; }
  const Configuration& config() const { return config_; }
  const LogFile& log() const { return log_; }
  const TracingGfxLib* tracing() const { return tracing_.get(); }

 private:
  const CliOptions& options_;
  Configuration config_;
  LogFile log_{kLogFileName};
  std::unique_ptr<ToolTransport> transport_;
  std::unique_ptr<IspContext> ctx_;
  std::ofstream trace_;
  std::unique_ptr<TracingGfxLib> tracing_;
};

}  // namespace vexa::cli
