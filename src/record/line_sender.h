#pragma once
// Sending the runs that wait in the outbox to the line database.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "record/line_database.h"
#include "record/outbox.h"

namespace record {

struct SendReport {
  int sent = 0;     // runs the database took (or held already) in this round
  int waiting = 0;  // runs still waiting afterwards
  std::optional<std::string> error;
};

// Sends the waiting runs, oldest first, until none waits or the database fails, and keeps the
// failure as the outbox's last error (forgotten once every run went out). A run the database
// refuses as such is set aside, so that it does not hold up those after it. While another sender
// works on the same outbox, returns at once (or, with waitForOthers, waits for it first).
// `kept`, where given, is a connection kept from one round to the next: used while it works,
// made when there is none, dropped when it fails.
SendReport SendWaitingRuns(const Outbox& outbox, const std::string& connection,
                           const LineTimeouts& timeouts, bool waitForOthers = false,
                           std::unique_ptr<LineDatabase>* kept = nullptr);

// Sends on a thread of its own whenever told that a run was recorded, so that no window waits
// for the database.
class BackgroundSender {
public:
  // `roundDone`, where given, is told what each round did, on the sender's thread.
  BackgroundSender(const std::string& csvFolder, std::string connection, LineTimeouts timeouts,
                   std::function<void(const SendReport&)> roundDone = {});
  // Finishes the round under way, which its time-outs bound.
  ~BackgroundSender();
  BackgroundSender(const BackgroundSender&) = delete;
  BackgroundSender& operator=(const BackgroundSender&) = delete;

  // A run was recorded: a round of sending begins soon.
  void Poke();

private:
  void Work();

  const Outbox outbox_;
  const std::string connection_;
  const LineTimeouts timeouts_;
  const std::function<void(const SendReport&)> roundDone_;
  std::unique_ptr<LineDatabase> database_;  // kept between rounds; only the thread uses it
  std::mutex mutex_;
  std::condition_variable wake_;
  bool poked_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace record
