#include "app/version_report.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_codes.h"
#include "context/onboard_query.h"

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
