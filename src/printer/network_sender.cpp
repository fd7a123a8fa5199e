#include "printer/network_sender.h"

#include <cstdlib>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <cstring>

namespace printer {

int LpdPortFromEnvironment() {
  const char* text = std::getenv("GRELT_LPD_PORT");
  if (text == nullptr) return kLpdPort;
  char* end = nullptr;
  const long port = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && port > 0 && port <= 65535 ? static_cast<int>(port)
                                                                  : kLpdPort;
}
namespace {

constexpr std::size_t kStreamBuffer = 4096;

// A socket closed on every path.
class Socket {
public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int Fd() const { return fd_; }

private:
  int fd_;
};

// Writes through a 4096-byte buffer, as a buffered stream does; false once a write failed.
class BufferedWriter {
public:
  explicit BufferedWriter(int fd) : fd_(fd) {}
  bool Write(const void* data, std::size_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (ok_ && length > 0) {
      const std::size_t room = kStreamBuffer - used_;
      const std::size_t take = length < room ? length : room;
      std::memcpy(buffer_ + used_, bytes, take);
      used_ += take;
      bytes += take;
      length -= take;
      if (used_ == kStreamBuffer) Flush();
    }
    return ok_;
  }
  bool Flush() {
    for (std::size_t sent = 0; ok_ && sent < used_;) {
      const ssize_t n = ::send(fd_, buffer_ + sent, used_ - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0)
        ok_ = false;
      else
        sent += static_cast<std::size_t>(n);
    }
    used_ = 0;
    return ok_;
  }

private:
  int fd_;
  std::uint8_t buffer_[kStreamBuffer];
  std::size_t used_ = 0;
  bool ok_ = true;
};

// Connects within the time-out; returns 0 or the error number.
int ConnectWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int error = 0;
  if (::connect(fd, address, length) != 0) {
    if (errno != EINPROGRESS) return errno;
    pollfd waiting{fd, POLLOUT, 0};
    if (::poll(&waiting, 1, timeoutMs) <= 0) return ETIMEDOUT;
    socklen_t size = sizeof error;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
  }
  ::fcntl(fd, F_SETFL, flags);
  return error;
}

constexpr const char* kCannotConnect =
    "Cannot connect to printer.\nCheck printer power or network cable";

void Tell(ui::UiServices& ui, const std::string& text) {
  ui.MessageBox(text, ui::kApplicationTitle, ui::kOk);
}

// A job cut off on the way is no job: say so rather than report it sent.
bool TellCutOff(ui::UiServices& ui) {
  Tell(ui,
       "The printer closed the connection before the job was sent.\nCheck the printer and send "
       "it again.");
  return false;
}

// Waits for the socket to have something to read; false when the time ran out.
bool Readable(int fd, int timeoutMs) {
  pollfd waiting{fd, POLLIN, 0};
  for (;;) {
    const int ready = ::poll(&waiting, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

// The daemon's one-byte answer to a subcommand: 0 taken, another value refused; -1 when the
// connection closed or nothing came in time.
int ReadAcknowledgement(int fd, int timeoutMs) {
  std::uint8_t ack = 0;
  for (;;) {
    if (!Readable(fd, timeoutMs)) return -1;
    const ssize_t n = ::recv(fd, &ack, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    return n == 1 ? ack : -1;
  }
}

// Reads until the daemon closes its side, or it stays silent for timeoutMs.
void DrainUntilClosed(int fd, int timeoutMs) {
  std::uint8_t buffer[512];
  while (Readable(fd, timeoutMs)) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EINTR)) return;
  }
}

}  // namespace

std::vector<std::string> LpdSubcommands(LpdFraming framing, std::size_t length) {
  const std::string host = kLpdHost;
  const std::string dataFile = "dfA002" + host;
  const std::string control = "H" + host + "\n" + "P" + kLpdUser + "\n" + "J" + kLpdJob + "\n" +
                              "l" + dataFile + "\n" + "U" + dataFile + "\n" + "N" + kLpdUser + "\n";
  return {"\x02PASSTHRU\n", "\x02" + std::to_string(control.size()) + " cfA002" + host + "\n",
          control + '\0',
          "\x03" + (framing == LpdFraming::Spooler ? std::to_string(length) : "125899906843000") +
              " " + dataFile + "\n"};
}

std::string LpdPreamble(LpdFraming framing, std::size_t length) {
  std::string preamble;
  for (const std::string& part : LpdSubcommands(framing, length)) preamble += part;
  return preamble;
}

bool SendNetworkJob(const std::string& host, const std::uint8_t* data, std::size_t length,
                    ui::UiServices& ui, int port, int timeoutMs, LpdFraming framing) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (lookup != 0) {
    Tell(ui, ::gai_strerror(lookup));
    Tell(ui, kCannotConnect);
    return false;
  }
  Socket socket(::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol));
  if (socket.Fd() < 0) {
    ::freeaddrinfo(found);
    Tell(ui, "Socket Creation Error");
    return false;
  }
  const int error = ConnectWithin(socket.Fd(), found->ai_addr, found->ai_addrlen, timeoutMs);
  ::freeaddrinfo(found);
  if (error != 0) {
    Tell(ui, std::strerror(error));
    Tell(ui, kCannotConnect);
    return false;
  }
  // A daemon that takes the connection but stops reading must not hold the sender for ever.
  const timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  ::setsockopt(socket.Fd(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  BufferedWriter writer(socket.Fd());
  const auto acknowledged = [&] {
    const int ack = ReadAcknowledgement(socket.Fd(), timeoutMs);
    if (ack < 0) return TellCutOff(ui);
    if (ack != 0) {
      Tell(ui, "The printer refused the job (answer " + std::to_string(ack) +
                   ").\nCheck the printer's queue and send the job again.");
      return false;
    }
    return true;
  };
  for (const std::string& subcommand : LpdSubcommands(framing, length)) {
    if (!writer.Write(subcommand.data(), subcommand.size()) || !writer.Flush())
      return TellCutOff(ui);
    if (!acknowledged()) return false;
  }
  if ((length > 0 && !writer.Write(data, length)) || !writer.Flush()) return TellCutOff(ui);
  if (framing == LpdFraming::Spooler) {
    constexpr std::uint8_t kEndOfFile = 0;
    if (!writer.Write(&kEndOfFile, 1) || !writer.Flush()) return TellCutOff(ui);
    if (!acknowledged()) return false;
  }
  // Close our side first and let the daemon finish: a socket closed with unread data in it
  // would reset the connection and drop what the daemon had not taken yet.
  ::shutdown(socket.Fd(), SHUT_WR);
  DrainUntilClosed(socket.Fd(), timeoutMs);
  return true;
}

}  // namespace printer
