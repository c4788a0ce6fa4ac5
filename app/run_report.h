#pragma once

#include <cstdint>
#include <string>

#include "engine/isp_context.h"

namespace vexa {

// Progress in percent as the front ends show it: 0 without a total, else done * 100 / total,
// at most 100.
uint32_t ProgressPercent(uint32_t done, uint32_t total);

// The end of a run as the user sees it: "ISP completed!\r\n" or "ISP failed!\r\n", and for a
// failure with a recorded first error its one-line rendering (no line end of its own).
struct RunResultLines {
  bool completed = false;
  std::string result;
  std::string errorLine;
};
RunResultLines DescribeRunResult(const IspContext& ctx, RunStatus finalStatus);

}  // namespace vexa
