#include "util/clock.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using namespace std::chrono_literals;

TEST(DelayMs, ZeroReturnsShortWaitsSpinAndLongWaitsSleep) {
  VirtualClock clock;
  DelayMs(clock, 0);
  EXPECT_EQ(clock.Elapsed(), 0us);

  DelayMs(clock, 49);
  EXPECT_EQ(clock.Spun(), 49ms);
  EXPECT_EQ(clock.Slept(), 0us);

  DelayMs(clock, 50);
  EXPECT_EQ(clock.Slept(), 50ms);
  EXPECT_EQ(clock.Elapsed(), 99ms);
}

TEST(DelayMicroseconds, BelowTwentyReturnsAtOnceElseSpins) {
  VirtualClock clock;
  DelayMicroseconds(clock, 19);
  EXPECT_EQ(clock.Elapsed(), 0us);
  DelayMicroseconds(clock, 20);
  DelayMicroseconds(clock, 5000);
  EXPECT_EQ(clock.Spun(), 5020us);
}

TEST(VirtualClock, LocalTimeAdvancesWithProtocolTimeAndWrapsAtMidnight) {
  VirtualClock clock({23, 59, 59, 900});
  DelayMs(clock, 30);
  WallTime t = clock.LocalTime();
  EXPECT_EQ(t.hour, 23);
  EXPECT_EQ(t.millisecond, 930);

  DelayMs(clock, 100);
  t = clock.LocalTime();
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.minute, 0);
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.millisecond, 30);
}

TEST(RealClock, SpinWaitsAtLeastTheRequestedTime) {
  RealClock clock;
  const auto start = std::chrono::steady_clock::now();
  clock.Spin(200us);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 200us);
}

}  // namespace
}  // namespace vexa
