#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vexa {

// Local wall-clock time of day, as the engine log stamps it.
struct WallTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The one seam through which every wait of the engine and of the backends passes.
// Callers never use Sleep or Spin directly: DelayMs and DelayMicroseconds decide which one a
// wait takes, so the real and the virtual clock see the same sequence of waits.
class Clock {
 public:
  virtual ~Clock() = default;
  // Gives up the processor for the whole duration.
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
  // Busy-waits on the high-resolution counter; used for short waits where a sleep would
  // overshoot by a scheduler tick.
  virtual void Spin(std::chrono::microseconds duration) = 0;
  virtual WallTime LocalTime() = 0;
  // Monotonic time since an arbitrary start, for measuring how long something has taken.
  virtual std::chrono::microseconds Now() = 0;
};

// Waits ms milliseconds: 0 returns at once, 1..49 spin, 50 and up sleep.
void DelayMs(Clock& clock, uint16_t ms);

// Waits us microseconds by spinning; below 20 µs it returns at once.
void DelayMicroseconds(Clock& clock, uint32_t us);

// The machine's clock: sleeps with the scheduler, spins on std::chrono::steady_clock.
class RealClock final : public Clock {
 public:
  void Sleep(std::chrono::milliseconds duration) override;
  void Spin(std::chrono::microseconds duration) override;
  WallTime LocalTime() override;
  std::chrono::microseconds Now() override;
};

// A clock that never waits: every wait advances its elapsed time instantly. Tests and the
// simulated board run on it, so hours of protocol time take microseconds and nothing is
// timing-dependent. Its local time is the start time plus the elapsed time.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(WallTime start = {}) : start_(start) {}

  void Sleep(std::chrono::milliseconds duration) override;
  void Spin(std::chrono::microseconds duration) override;
  WallTime LocalTime() override;
  std::chrono::microseconds Now() override { return Elapsed(); }

  // Total protocol time that has passed, and the parts of it spent sleeping and spinning.
  std::chrono::microseconds Elapsed() const { return std::chrono::microseconds(slept_ + spun_); }
  std::chrono::microseconds Slept() const { return std::chrono::microseconds(slept_); }
  std::chrono::microseconds Spun() const { return std::chrono::microseconds(spun_); }

 private:
  WallTime start_;
  std::atomic<int64_t> slept_{0};
  std::atomic<int64_t> spun_{0};
};

}  // namespace vexa
