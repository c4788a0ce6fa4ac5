#include "app/run_report.h"

#include "engine/engine_log.h"

namespace vexa {

uint32_t ProgressPercent(uint32_t done, uint32_t total) {
  if (total == 0) return 0;
  return (done * 100u / total) & 0xFFu;
}

RunResultLines DescribeRunResult(const IspContext& ctx, RunStatus finalStatus) {
  RunResultLines lines;
  lines.completed = finalStatus == RunStatus::kCompleted;
  lines.result = lines.completed ? "ISP completed!\r\n" : "ISP failed!\r\n";
  if (!lines.completed && ctx.firstErrorCode != 0) lines.errorLine = FormatFirstError(ctx);
  return lines;
}

}  // namespace vexa
