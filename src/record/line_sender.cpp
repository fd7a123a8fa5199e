#include "record/line_sender.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

namespace record {
namespace {

// The outbox's sending lock, held for a round: one sender at a time works through an outbox.
class SendLock {
public:
  SendLock(const Outbox& outbox, bool wait) {
    std::error_code ignored;
    std::filesystem::create_directories(outbox.Folder(), ignored);
    fd_ = ::open((outbox.Folder() + "/send.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    held_ = fd_ >= 0 && ::flock(fd_, wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0;
  }
  ~SendLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  SendLock(const SendLock&) = delete;
  SendLock& operator=(const SendLock&) = delete;
  bool Held() const { return held_; }

private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace

SendReport SendWaitingRuns(const Outbox& outbox, const std::string& connection,
                           const LineTimeouts& timeouts, bool waitForOthers) {
  SendReport report;
  const SendLock lock(outbox, waitForOthers);
  std::vector<std::string> waiting = outbox.Waiting();
  report.waiting = static_cast<int>(waiting.size());
  if (!lock.Held() || waiting.empty()) return report;
  std::string error;
  const auto database = LineDatabase::Open(connection, timeouts, &error);
  for (const std::string& file : waiting) {
    if (!database) break;
    const auto entry = outbox.Read(file);
    bool refused = false;
    if (!entry) {
      outbox.SetAside(file);
      error = "A waiting run could not be read and was set aside: " + file + ".bad";
    } else if (database->Insert(*entry, &error, &refused)) {
      outbox.Sent(file);
      ++report.sent;
    } else if (refused) {
      outbox.SetAside(file);
      error = "The line database refused run " + entry->runId + ", set aside as " + file +
              ".bad: " + error;
    } else {
      break;
    }
  }
  report.waiting = static_cast<int>(outbox.Waiting().size());
  if (!error.empty()) report.error = error;
  outbox.SetLastError(report.error);
  return report;
}

BackgroundSender::BackgroundSender(const std::string& csvFolder, std::string connection,
                                   LineTimeouts timeouts)
    : outbox_(csvFolder), connection_(std::move(connection)), timeouts_(timeouts) {
  thread_ = std::thread([this] { Work(); });
}

BackgroundSender::~BackgroundSender() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void BackgroundSender::Poke() {
  {
    std::lock_guard lock(mutex_);
    poked_ = true;
  }
  wake_.notify_all();
}

void BackgroundSender::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return poked_ || stopping_; });
    if (stopping_) return;
    poked_ = false;
    lock.unlock();
    SendWaitingRuns(outbox_, connection_, timeouts_);
    lock.lock();
  }
}

}  // namespace record
