#pragma once
// A listening TCP socket on a free loopback port, for the servers tests play.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

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

}  // namespace testing_support
