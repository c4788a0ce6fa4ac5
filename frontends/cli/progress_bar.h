#pragma once

#include <cstdint>
#include <string>

namespace vexa::cli {

// The run's progress on stderr: one line redrawn in place, "[#####.....]  50%".
class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}

  void Show(uint32_t percent);
  // Removes the bar so that a text line can be printed in its place.
  void Clear();
  // Leaves the last bar on its own line.
  void Finish();

 private:
  bool enabled_;
  bool shown_ = false;
  uint32_t percent_ = 0;
};

// The bar's text for a percentage (0..100).
std::string ProgressBarText(uint32_t percent);

}  // namespace vexa::cli
