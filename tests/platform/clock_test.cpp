#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(FakeClock, SleepingMovesTimeWithoutWaiting) {
  platform::FakeClock clock(1'000);
  int polls = 0;
  clock.OnSleep([&] { ++polls; });
  for (int i = 0; i < 1500; ++i) clock.Sleep(std::chrono::milliseconds(1000));
  EXPECT_EQ(polls, 1500);
  EXPECT_EQ(clock.SleepCount(), 1500);
  EXPECT_EQ(clock.SleptMs(), 1'500'000);
  EXPECT_EQ(clock.TickMs(), 1'500'000);
  EXPECT_EQ(clock.UnixSeconds(), 1'000 + 1'500);
  clock.Advance(std::chrono::milliseconds(500));
  EXPECT_EQ(clock.SleepCount(), 1500);  // advancing is not sleeping
  EXPECT_EQ(clock.TickMs(), 1'500'500);
}

TEST(SystemClock, ReadsTheMachineTimeInMilliseconds) {
  using namespace std::chrono;
  platform::Clock& clock = platform::DefaultClock();
  const auto wall = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  const auto tick = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  // The wall clock for dates, the steady one for waits: neither may stand in for the other.
  EXPECT_NEAR(static_cast<double>(clock.UnixMillis()), static_cast<double>(wall), 5'000);
  EXPECT_NEAR(static_cast<double>(clock.TickMs()), static_cast<double>(tick), 5'000);
  EXPECT_NEAR(static_cast<double>(clock.UnixSeconds()), static_cast<double>(wall / 1000), 5);
}

}  // namespace
