#include "platform/clock.h"

#include <thread>

namespace platform {

void SystemClock::Sleep(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

std::int64_t SystemClock::TickMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::UnixMillis() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

Clock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

FakeClock::FakeClock(std::int64_t unixSeconds) : unixMs_(unixSeconds * 1000) {}

void FakeClock::Advance(std::chrono::milliseconds duration) {
  tickMs_ += duration.count();
  unixMs_ += duration.count();
}

void FakeClock::Sleep(std::chrono::milliseconds duration) {
  Advance(duration);
  ++sleepCount_;
  sleptMs_ += duration.count();
  std::function<void()> hook;
  {
    std::lock_guard lock(hookMutex_);
    hook = hook_;
  }
  if (hook) hook();
}

void FakeClock::OnSleep(std::function<void()> hook) {
  std::lock_guard lock(hookMutex_);
  hook_ = std::move(hook);
}

}  // namespace platform
