#include "app/run_report.h"

#include <algorithm>

#include "engine/engine_log.h"

namespace vexa {

uint32_t ProgressPercent(uint32_t done, uint32_t total) {
  if (total == 0) return 0;
  return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{done} * 100u / total, 100u));
}

RunResultLines DescribeRunResult(const IspContext& ctx, RunStatus finalStatus) {
  RunResultLines lines;
  lines.completed = finalStatus == RunStatus::kCompleted;
  lines.result = lines.completed ? "ISP completed!\r\n" : "ISP failed!\r\n";
  if (!lines.completed && (ctx.firstErrorCode != 0 || ctx.firstErrorHeld)) {
    lines.errorLine = FormatFirstError(ctx);
  }
  return lines;
}

}  // namespace vexa
