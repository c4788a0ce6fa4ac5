#include <chrono>
#include <iostream>
#include <thread>

#include "app/run_control.h"
#include "app/run_report.h"
#include "engine/engine_log.h"
#include "frontends/cli/cli_session.h"
#include "frontends/cli/commands.h"
#include "frontends/cli/console.h"
#include "frontends/cli/exit_codes.h"
#include "frontends/cli/interrupt_guard.h"
#include "frontends/cli/progress_bar.h"
#include "util/text_format.h"

namespace vexa::cli {

namespace {

constexpr auto kPollPeriod = std::chrono::milliseconds(50);

// Asked on a terminal only: main refuses to program from a script or pipe without --yes.
bool Confirmed(const CliOptions& options) {
  if (options.yes) return true;
  std::cerr << "Program the configured targets now? Do not power off the board during the "
               "update. [y/N] "
            << std::flush;
  std::string answer;
  std::getline(std::cin, answer);
  return answer == "y" || answer == "Y" || answer == "yes";
}

// Moves every log line the engine has appended so far to the console and the log file.
void TakeLogLines(CliSession& session, ProgressBar& bar) {
  while (std::optional<std::string> line = TakeNextLogLine(session.ctx())) {
    bar.Clear();
    PrintOut(*line);
    session.log().Append(*line);
  }
}

// The times are the run's own, from its worker: the polling here would add up to a period.
void PrintStats(const CliSession& session, const RunTimes& times) {
  const TracingGfxLib* tracing = session.tracing();
  const double wallSeconds = std::chrono::duration<double>(times.wall).count();
  const double protocolSeconds = std::chrono::duration<double>(times.protocol).count();
  PrintOut(
      StrPrintf("Stats: %llu AUX transactions in %llu transport calls, %llu bytes moved, "
                "protocol time %.3f s, wall time %.3f s\n",
                static_cast<unsigned long long>(tracing ? tracing->auxTransactions() : 0),
                static_cast<unsigned long long>(tracing ? tracing->calls() : 0),
                static_cast<unsigned long long>(tracing ? tracing->bytesMoved() : 0),
                protocolSeconds, wallSeconds));
}

}  // namespace

int RunUpdate(const CliOptions& options) {
  // Whatever a script or pipe would answer, programming needs the user's word for it.
  if (!options.yes && !StdinIsTerminal()) {
    PrintError(
        "Not programming: standard input is not a terminal, so nobody can confirm. "
        "Run again with --yes to program without asking.");
    return kExitUsage;
  }
  CliSession session(options);
  if (const int opened = session.OpenConnected(); opened != kExitSuccess) return opened;
  if (!Confirmed(options)) {
    PrintError("Update cancelled.");
    return kExitFailed;
  }

  IspContext& ctx = session.ctx();
  ProgressBar bar(StderrIsTerminal());
  RunStatus finalStatus = RunStatus::kNotStarted;
  RunTimes times;
  {
    InterruptGuard guard;
    RunControl run(ctx, session.log());
    if (!run.Start(session.config())) {
      PrintError(kRunStartFailed);
      session.log().Append(kRunStartFailed);
      return kExitFailed;
    }
    for (;;) {
      finalStatus = ctx.runStatus.load(std::memory_order_acquire);
      TakeLogLines(session, bar);
      if (HasRunEnded(finalStatus)) break;
      bar.Show(ProgressPercent(ctx.progressDone.load(), ctx.progressTotal.load()));
      if (guard.TakeInterrupt()) {
        bar.Clear();
        PrintError("Not allowed to exit! ISP is still running! Please wait!");
      }
      std::this_thread::sleep_for(kPollPeriod);
    }
    run.Finish();
    times = run.LastRunTimes();
  }
  bar.Show(ProgressPercent(ctx.progressDone.load(), ctx.progressTotal.load()));
  bar.Finish();

  const RunResultLines result = DescribeRunResult(ctx, finalStatus);
  PrintOut(result.result);
  session.log().Append(result.result);
  if (!result.errorLine.empty()) {
    PrintOut(result.errorLine + "\n");
    session.log().Append(result.errorLine);
  }
  if (options.stats) {
    PrintStats(session, times);
  }
  return result.completed ? kExitSuccess : kExitFailed;
}

}  // namespace vexa::cli
