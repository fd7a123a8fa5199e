#pragma once
// A line printer daemon of our own on a loopback port, for the tests of the network sender and of
// the operations that send over the network.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback.h"

namespace testing_support {

// A line printer daemon of our own on a loopback port, as RFC 1179 has it: it answers each
// subcommand (queue, control file announcement, control file, data file announcement) with the
// next of its acknowledgements, then keeps the data until the sender closes. A refusal ends the
// connection; a daemon may also take only a little data and hang up, or never answer at all.
class LpdReceiver {
public:
  struct Behaviour {
    std::vector<char> acks = {0, 0, 0, 0};
    std::size_t readAtMost = SIZE_MAX;
    bool silent = false;
    bool neverReadsTheData = false;  // takes the subcommands, then reads nothing until released
    // As a spooler: takes exactly the announced data and its closing zero byte, then answers this.
    std::optional<char> dataAck;
  };

  LpdReceiver() : LpdReceiver(Behaviour{}) {}
  explicit LpdReceiver(Behaviour behaviour) : listener_(testing_support::ListenOnLoopback(port_)) {
    thread_ = std::thread([this, behaviour] { Serve(behaviour); });
  }
  ~LpdReceiver() {
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  int Port() const { return port_; }
  void Release() { released_.set_value(); }
  std::string Received() {
    thread_.join();
    return received_;
  }

private:
  void Serve(const Behaviour& behaviour) {
    connection_ = ::accept(listener_, nullptr, nullptr);
    if (!behaviour.silent) {
      for (std::size_t step = 0; step < behaviour.acks.size(); ++step) {
        const bool ok = step == 2 ? ReadCount(AnnouncedLength('\x02') + 1) : ReadLine();
        if (!ok) break;
        ::send(connection_, &behaviour.acks[step], 1, MSG_NOSIGNAL);
        if (behaviour.acks[step] != 0) break;
      }
    }
    if (behaviour.dataAck && received_.ends_with('\n') && ReadCount(AnnouncedLength('\x03') + 1)) {
      ::send(connection_, &*behaviour.dataAck, 1, MSG_NOSIGNAL);
    }
    if (behaviour.neverReadsTheData) released_.get_future().wait();
    char buffer[65536];
    while (!behaviour.neverReadsTheData && received_.size() < behaviour.readAtMost) {
      const ssize_t n = ::recv(connection_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received_.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(connection_);
  }
  bool ReadCount(std::size_t count) {
    const std::size_t end = received_.size() + count;
    char byte;
    while (received_.size() < end && ::recv(connection_, &byte, 1, 0) == 1) received_ += byte;
    return received_.size() == end;
  }
  bool ReadLine() {
    char byte = 0;
    while (::recv(connection_, &byte, 1, 0) == 1) {
      received_ += byte;
      if (byte == '\n') return true;
    }
    return false;
  }
  // The length the last announcement of this kind gave ("\x02NN cf...\n", "\x03NN df...\n").
  std::size_t AnnouncedLength(char kind) const {
    const std::size_t start = received_.rfind(kind);
    return static_cast<std::size_t>(std::stoul(received_.substr(start + 1)));
  }

  int port_ = 0;
  int listener_;
  int connection_ = -1;
  std::thread thread_;
  std::string received_;
  std::promise<void> released_;
};

}  // namespace testing_support
