#include "util/clock.h"

#include <ctime>
#include <thread>

namespace vexa {

void DelayMs(Clock& clock, uint16_t ms) {
  if (ms == 0) return;
  if (ms >= 50) {
    clock.Sleep(std::chrono::milliseconds(ms));
  } else {
    clock.Spin(std::chrono::milliseconds(ms));
  }
}

void DelayMicroseconds(Clock& clock, uint32_t us) {
  if (us < 20) return;
  clock.Spin(std::chrono::microseconds(us));
}

void RealClock::Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

void RealClock::Spin(std::chrono::microseconds duration) {
  const auto target = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < target) {
  }
}

WallTime RealClock::LocalTime() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms)};
}

std::chrono::microseconds RealClock::Now() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

void VirtualClock::Sleep(std::chrono::milliseconds duration) {
  slept_ += std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
}

void VirtualClock::Spin(std::chrono::microseconds duration) {
  spun_ += duration.count();
}

WallTime VirtualClock::LocalTime() {
  constexpr int64_t kMsPerDay = 24LL * 3600 * 1000;
  const int64_t startMs =
      ((start_.hour * 60LL + start_.minute) * 60 + start_.second) * 1000 + start_.millisecond;
  const int64_t nowMs = (startMs + Elapsed().count() / 1000) % kMsPerDay;
  return {static_cast<int>(nowMs / 3600000), static_cast<int>(nowMs / 60000 % 60),
          static_cast<int>(nowMs / 1000 % 60), static_cast<int>(nowMs % 1000)};
}

}  // namespace vexa
