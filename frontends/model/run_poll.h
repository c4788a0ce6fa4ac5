#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/isp_context.h"
#include "frontends/model/colors.h"

namespace vexa::ui {

// The progress bar's range.
inline constexpr int kProgressRange = 4096;
// How often the dialog looks at a run.
inline constexpr int kPollPeriodMs = 100;

// What one look at a running run shows.
struct RunTick {
  // Position on the progress bar, 0 .. kProgressRange.
  int progressPosition = 0;
  // Texts for the output box and the log file, in order: at most one engine log line while
  // the run goes on, so a burst is shown at a readable pace; at the end every line left, then
  // the result line and, for a failure with a recorded error, the error line.
  std::vector<std::string> texts;
  // Background of each target's box, when downstream ports are configured.
  std::optional<std::array<Rgb, kTargetCount>> targetBackgrounds;
  // The run has ended: the output box turns outputBackground.
  bool ended = false;
  Rgb outputBackground = kWhite;
};

// One look at the run, on the user-interface thread; takes the log lines it shows.
RunTick PollRunTick(IspContext& ctx);

// The background of a target's box for its run state.
Rgb TargetStatusColor(TargetStatus status);

}  // namespace vexa::ui
