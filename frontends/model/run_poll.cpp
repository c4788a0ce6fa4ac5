#include "frontends/model/run_poll.h"

#include <algorithm>

#include "app/run_report.h"
#include "engine/engine_log.h"

namespace vexa::ui {

Rgb TargetStatusColor(TargetStatus status) {
  switch (status) {
    case TargetStatus::kProgramming:
      return kYellow;
    case TargetStatus::kFailed:
      return kPink;
    case TargetStatus::kDone:
      return kGreen;
    case TargetStatus::kSelected:
    case TargetStatus::kIdle:
      break;
  }
  return kGrey;
}

RunTick PollRunTick(IspContext& ctx) {
  RunTick tick;
  // Read once: the run publishes its final status after its last log line and progress, so
  // everything below is complete when this says the run has ended.
  const RunStatus status = ctx.runStatus.load();
  const uint32_t percent = ProgressPercent(ctx.progressDone.load(), ctx.progressTotal.load());
  // A progress bar stops at the end of its range; so does this one when done exceeds total.
  tick.progressPosition =
      std::min(static_cast<int>(percent) * kProgressRange / 100, kProgressRange);

  if (std::optional<std::string> line = TakeNextLogLine(ctx)) tick.texts.push_back(*line);

  if (ctx.portsConfigured) {
    std::array<Rgb, kTargetCount> backgrounds;
    for (size_t i = 0; i < kTargetCount; ++i) {
      backgrounds[i] = TargetStatusColor(ctx.targets[i].status.load());
    }
    tick.targetBackgrounds = backgrounds;
  }

  if (!HasRunEnded(status)) return tick;
  tick.ended = true;
  while (std::optional<std::string> line = TakeNextLogLine(ctx)) tick.texts.push_back(*line);
  const RunResultLines result = DescribeRunResult(ctx, status);
  tick.outputBackground = result.completed ? kGreen : kPink;
  tick.texts.push_back(result.result);
  if (!result.errorLine.empty()) tick.texts.push_back(result.errorLine);
  return tick;
}

}  // namespace vexa::ui
