#pragma once
// Loopback TCP for the servers and clients tests play, and the job network tests send.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace testing_support {

// Listens on 127.0.0.1 at a port the system picks; returns the socket and sets port.
inline int ListenOnLoopback(int& port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listener, 1);
  socklen_t size = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return listener;
}

// A socket connected to 127.0.0.1 at port, or -1 when nobody listens there.
inline int ConnectToLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  ::close(fd);
  return -1;
}

// The network nozzle check as a printer's daemon receives it: thirty fixed bytes (into remote
// mode, the nozzle check command "NC", out again, CR LF FF and two resets).
inline const std::string kNetworkNozzleCheckJob(
    "\x1B\x28\x52\x08\x00\x00REMOTE1NC\x02\x00\x00\x00\x1B\x00\x00\x00\x0D\x0A\x0C\x1B\x40\x1B\x40",
    30);

}  // namespace testing_support
