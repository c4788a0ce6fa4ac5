#include "app/version_report.h"
#include "engine/run/onboard_query.h"
#include "frontends/cli/cli_session.h"
#include "frontends/cli/commands.h"
#include "frontends/cli/console.h"
#include "frontends/cli/exit_codes.h"

namespace vexa::cli {

int RunVersions(const CliOptions& options) {
  CliSession session(options);
  if (const int opened = session.OpenConnected(); opened != kExitSuccess) return opened;
  const bool allAnswered = QueryOnBoard(session.ctx(), session.config().fwFilePath);
  const std::string text = FirmwareVersionReport(session.ctx(), session.config());
  session.log().Append(text);
  PrintOut(text);
  return allAnswered ? kExitSuccess : kExitFailed;
}

}  // namespace vexa::cli
