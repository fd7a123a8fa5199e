#pragma once
// Printer work off the user-interface thread: one task at a time runs on its own thread while
// the window keeps repainting, and its `done` step runs on the user-interface thread after it.

#include <atomic>
#include <functional>
#include <thread>

#include "ui_services/ui_services.h"

namespace ui {

class BackgroundTask {
public:
  explicit BackgroundTask(UiServices& ui) : ui_(ui) {}
  ~BackgroundTask() { Wait(); }
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;

  // False, starting nothing, while a task runs.
  bool Start(std::function<void()> work, std::function<void()> done) {
    if (running_.exchange(true)) return false;
    Wait();  // the previous thread has posted its end; it may still be returning
    thread_ = std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
      work();
      running_ = false;
      ui_.PostToUi(std::move(done));
    });
    return true;
  }
  bool Running() const { return running_; }
  // Waits for the thread of the last task (its `done` step may still be queued).
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }

private:
  UiServices& ui_;
  std::atomic<bool> running_{false};
  std::thread thread_;
};

}  // namespace ui
