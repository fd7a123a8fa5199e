#include "record/line_sender.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

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

enum class Outcome { Sent, SetAside, Failed };

// One waiting run to the database; *error tells why one was set aside or failed.
Outcome SendOne(const Outbox& outbox, const std::string& file, LineDatabase& database,
                std::string& error) {
  const auto entry = outbox.Read(file);
  if (!entry) {
    outbox.SetAside(file);
    error = "A waiting run could not be read and was set aside: " + file + ".bad";
    return Outcome::SetAside;
  }
  bool refused = false;
  if (database.Insert(*entry, &error, &refused)) {
    outbox.Sent(file);
    return Outcome::Sent;
  }
  if (!refused) return Outcome::Failed;
  outbox.SetAside(file);
  error =
      "The line database refused run " + entry->runId + ", set aside as " + file + ".bad: " + error;
  return Outcome::SetAside;
}

}  // namespace

SendReport SendWaitingRuns(const Outbox& outbox, const std::string& connection,
                           const LineTimeouts& timeouts, bool waitForOthers,
                           std::unique_ptr<LineDatabase>* kept) {
  SendReport report;
  const SendLock lock(outbox, waitForOthers);
  const std::vector<std::string> waiting = outbox.Waiting();
  report.waiting = static_cast<int>(waiting.size());
  if (!lock.Held() || waiting.empty()) return report;
  std::string error;     // why the round stopped
  std::string setAside;  // why the last run set aside was
  std::unique_ptr<LineDatabase> own;
  std::unique_ptr<LineDatabase>& database = kept != nullptr ? *kept : own;
  bool reused = database != nullptr;
  if (!database) database = LineDatabase::Open(connection, timeouts, &error);
  for (std::size_t i = 0; i < waiting.size() && database;) {
    const Outcome outcome = SendOne(outbox, waiting[i], *database, error);
    if (outcome == Outcome::Failed) {
      database.reset();
      if (!reused) break;
      // A kept connection may have outlived its server: one fresh one gets the same run.
      reused = false;
      error.clear();
      database = LineDatabase::Open(connection, timeouts, &error);
      continue;
    }
    if (outcome == Outcome::SetAside) setAside = std::exchange(error, "");
    report.sent += outcome == Outcome::Sent ? 1 : 0;
    ++i;
  }
  report.waiting = static_cast<int>(outbox.Waiting().size());
  if (!error.empty() || !setAside.empty()) report.error = error.empty() ? setAside : error;
  outbox.SetLastError(report.error);
  return report;
}

BackgroundSender::BackgroundSender(const std::string& csvFolder, std::string connection,
                                   LineTimeouts timeouts,
                                   std::function<void(const SendReport&)> roundDone)
    : outbox_(csvFolder),
      connection_(std::move(connection)),
      timeouts_(timeouts),
      roundDone_(std::move(roundDone)) {
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
    const SendReport report = SendWaitingRuns(outbox_, connection_, timeouts_, false, &database_);
    if (roundDone_) roundDone_(report);
    lock.lock();
  }
}

}  // namespace record
