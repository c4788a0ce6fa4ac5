#include "app/version_report.h"
#include "engine/run/isp_run.h"
#include "engine/run/onboard_query.h"
#include "frontends/cli/cli_session.h"
#include "frontends/cli/commands.h"
#include "frontends/cli/console.h"
#include "frontends/cli/exit_codes.h"

namespace vexa::cli {

int RunVersions(const CliOptions& options) {
  CliSession session(options);
  if (const int opened = session.OpenConnected(); opened != kExitSuccess) return opened;
  const Configuration& config = session.config();
  if (config.settings.fwFileCount == 0) {
    PrintError(
        "No firmware file is configured: the configuration names no FWFilePath, so "
        "there is no chip to report.");
    return kExitFailed;
  }
  const bool allAnswered = QueryOnBoard(session.ctx(), config.fwFilePath);
  const std::string text = FirmwareVersionReport(session.ctx(), config);
  session.log().Append(text);
  PrintOut(text);

  // The report leaves a file's line empty when the file could not be read; say why here.
  bool allFilesRead = true;
  for (size_t i = 0; i < kTargetCount; ++i) {
    const std::string& problem = session.ctx().fwFileStatusText[i];
    if (config.fwFilePath[i].empty() || problem.empty()) continue;
    PrintError(TargetName(i) + " BIN file " + config.fwFilePath[i] + ": " + problem);
    allFilesRead = false;
  }
  return allAnswered && allFilesRead ? kExitSuccess : kExitFailed;
}

}  // namespace vexa::cli
