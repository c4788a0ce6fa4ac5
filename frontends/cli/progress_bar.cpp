#include "frontends/cli/progress_bar.h"

#include <algorithm>
#include <iostream>

#include "util/text_format.h"

namespace vexa::cli {

namespace {

constexpr uint32_t kBarWidth = 40;

}  // namespace

std::string ProgressBarText(uint32_t percent) {
  percent = std::min<uint32_t>(percent, 100);
  const uint32_t filled = percent * kBarWidth / 100;
  // A std::string first: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string.
  return std::string("[") + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " +
         StrPrintf("%3u%%", percent);
}

void ProgressBar::Show(uint32_t percent) {
  if (!enabled_ || (shown_ && percent == percent_)) return;
  percent_ = percent;
  shown_ = true;
  std::cerr << '\r' << ProgressBarText(percent) << std::flush;
}

void ProgressBar::Clear() {
  if (!enabled_ || !shown_) return;
  std::cerr << '\r' << std::string(kBarWidth + 7, ' ') << '\r' << std::flush;
  shown_ = false;
}

void ProgressBar::Finish() {
  if (!enabled_) return;
  std::cerr << '\r' << ProgressBarText(percent_) << '\n' << std::flush;
}

}  // namespace vexa::cli
