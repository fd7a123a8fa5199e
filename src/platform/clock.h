#pragma once
// The one way the program waits and reads the time. Production code takes a Clock& and never
// sleeps on its own, so tests can run long polling loops instantly with a FakeClock.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

namespace platform {

class Clock {
public:
  virtual ~Clock() = default;
  // Blocks the calling thread for the given time.
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
  // Milliseconds on a steady counter, for measuring intervals and time-outs.
  virtual std::int64_t TickMs() const = 0;
  // Wall-clock time as milliseconds since 1970.
  virtual std::int64_t UnixMillis() const = 0;
  // Wall-clock time as seconds since 1970 (64 bits).
  std::int64_t UnixSeconds() const { return UnixMillis() / 1000; }
};

// The real clock of the machine.
class SystemClock final : public Clock {
public:
  void Sleep(std::chrono::milliseconds duration) override;
  std::int64_t TickMs() const override;
  std::int64_t UnixMillis() const override;
};

// The process-wide real clock, for callers that are not handed one.
Clock& DefaultClock();

// A clock that only moves when slept on or advanced. Safe to share between threads.
class FakeClock final : public Clock {
public:
  explicit FakeClock(std::int64_t unixSeconds = 1'700'000'000);

  void Sleep(std::chrono::milliseconds duration) override;
  std::int64_t TickMs() const override { return tickMs_.load(); }
  std::int64_t UnixMillis() const override { return unixMs_.load(); }

  void Advance(std::chrono::milliseconds duration);
  void SetUnixSeconds(std::int64_t seconds) { unixMs_.store(seconds * 1000); }
  // How often Sleep was called and how long was slept in all.
  std::int64_t SleepCount() const { return sleepCount_.load(); }
  std::int64_t SleptMs() const { return sleptMs_.load(); }
  // Called after every Sleep, so a test can change the world while the code under test waits.
  void OnSleep(std::function<void()> hook);

private:
  std::atomic<std::int64_t> tickMs_{0};
  std::atomic<std::int64_t> unixMs_;
  std::atomic<std::int64_t> sleepCount_{0};
  std::atomic<std::int64_t> sleptMs_{0};
  std::mutex hookMutex_;
  std::function<void()> hook_;
};

}  // namespace platform
