#include "frontends/cli/cli_session.h"
#include "frontends/cli/commands.h"
#include "frontends/cli/console.h"
#include "frontends/cli/exit_codes.h"

namespace vexa::cli {

int RunDetect(const CliOptions& options) {
  CliSession session(options);
  if (const int opened = session.Open(); opened != kExitSuccess) return opened;
  std::string report;
  const AdapterDisplay display = session.Detect(report);
  PrintOut(report);
  PrintOut("Graphics Adapter: " + SingleSpaced(display.adapterText) +
           "\nStatus: " + display.statusText + "\n");
  return display.ready ? kExitSuccess : kExitNoDevice;
}

}  // namespace vexa::cli
