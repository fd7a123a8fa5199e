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

TEST(SystemClock, ReadsTheMachineTime) {
  platform::Clock& clock = platform::DefaultClock();
  EXPECT_GT(clock.UnixSeconds(), 1'700'000'000);
  const auto before = clock.TickMs();
  EXPECT_GE(clock.TickMs(), before);
}

}  // namespace
