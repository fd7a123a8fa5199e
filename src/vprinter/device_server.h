#pragma once
// Serves one printer to other processes: each connection sends device calls (device_wire.h) and
// gets the printer's answers, one at a time, on a thread of its own. A connection that goes away
// with a session open has that session closed, as unplugging a cable would end it.

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "driver/device.h"

namespace vprinter {

class DeviceServer {
public:
  explicit DeviceServer(std::shared_ptr<driver::PrinterDevice> printer);
  ~DeviceServer();
  DeviceServer(const DeviceServer&) = delete;
  DeviceServer& operator=(const DeviceServer&) = delete;

  // Listens on a Unix domain socket at path (replacing a stale one), or on a loopback TCP port
  // (0: one the system picks). The location clients connect to ("unix:..." or "tcp:..."), or
  // nothing when it cannot listen.
  std::string ListenUnix(const std::string& path);
  std::string ListenTcp(int port);
  // Accepts connections until Stop; returns then.
  void Serve();
  void Stop();

private:
  void Converse(int connection);
  // Joins the conversations that have ended.
  void Reap();

  struct Conversation {
    std::thread thread;
    std::atomic<bool> ended{false};
  };

  std::shared_ptr<driver::PrinterDevice> printer_;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::list<Conversation> conversations_;
  std::list<int> connections_;
};

}  // namespace vprinter
