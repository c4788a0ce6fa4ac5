#pragma once

namespace vexa::cli {

// Refuses Ctrl-C while the flash is being written, as the dialog refuses to close: while a
// guard lives, an interrupt only raises a flag that the run's monitor reports.
class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

  // True once per interrupt received since the last call.
  bool TakeInterrupt();
};

}  // namespace vexa::cli
