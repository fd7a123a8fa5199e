#pragma once
// Keeps a sender from waiting for ever on a printer that neither takes data nor fails: the first
// rounds without progress follow each other at once, later ones a second apart on the link's
// clock, and after a quarter of an hour without progress the sender gives up.

#include <chrono>

#include "platform/clock.h"

namespace printer {

class StallGuard {
public:
  static constexpr int kImmediateRounds = 10;
  static constexpr int kMaxRounds = 900;

  explicit StallGuard(platform::Clock& clock) : clock_(clock) {}
  // One more round without progress; false when the sender should give up.
  bool Wait() {
    if (++rounds_ > kMaxRounds) return false;
    if (rounds_ > kImmediateRounds) clock_.Sleep(std::chrono::milliseconds(1000));
    return true;
  }
  void Progressed() { rounds_ = 0; }

private:
  platform::Clock& clock_;
  int rounds_ = 0;
};

}  // namespace printer
