#pragma once
// A server on a stream socket, Unix domain or loopback TCP: it accepts connections until stopped
// and holds a conversation on a thread of its own with each. What is said is the subclass's.

#include <atomic>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace vprinter {

class StreamServer {
public:
  StreamServer() = default;
  virtual ~StreamServer();
  StreamServer(const StreamServer&) = delete;
  StreamServer& operator=(const StreamServer&) = delete;

  // Listens on a Unix domain socket at path (replacing a stale one), or on a loopback TCP port
  // (0: one the system picks). The location clients connect to ("unix:<path>" or
  // "tcp:127.0.0.1:<port>"), or nothing when it cannot listen.
  std::string ListenUnix(const std::string& path);
  std::string ListenTcp(int port);
  // Accepts connections until Stop; returns then.
  void Serve();
  // Ends Serve and every conversation (their sockets are shut down) and takes no connection
  // more. Subclasses call Finish() from their destructor, so no conversation outlives them.
  void Stop();

protected:
  // One conversation; the connection is closed after it returns.
  virtual void Converse(int connection) = 0;
  void Finish();

private:
  void Reap();

  struct Conversation {
    std::thread thread;
    std::atomic<bool> ended{false};
  };
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::list<Conversation> conversations_;
  std::list<int> connections_;
};

}  // namespace vprinter
