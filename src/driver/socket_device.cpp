#include "driver/socket_device.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "driver/device_wire.h"

namespace driver {
namespace {

int ConnectUnix(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
    return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

int ConnectTcp(const std::string& hostAndPort) {
  const std::size_t colon = hostAndPort.rfind(':');
  if (colon == std::string::npos) return -1;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(hostAndPort.substr(0, colon).c_str(), hostAndPort.substr(colon + 1).c_str(),
                    &hints, &found) != 0)
    return -1;
  int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
  if (fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
    ::close(fd);
    fd = -1;
  }
  ::freeaddrinfo(found);
  return fd;
}

void SetAnswerLimit(int fd, int milliseconds) {
  const timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

}  // namespace

SocketDevice::SocketDevice(std::string location, int answerSlackMs)
    : location_(std::move(location)), answerSlackMs_(answerSlackMs) {}

SocketDevice::~SocketDevice() { Drop(); }

void SocketDevice::Drop() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool SocketDevice::Connect() {
  if (fd_ >= 0) return true;
  if (location_.rfind("unix:", 0) == 0) fd_ = ConnectUnix(location_.substr(5));
  if (location_.rfind("tcp:", 0) == 0) fd_ = ConnectTcp(location_.substr(4));
  return fd_ >= 0;
}

int SocketDevice::Call(DeviceCall& call) {
  std::lock_guard lock(mutex_);
  if (!Connect()) return kDrvDisconnected;
  SetAnswerLimit(fd_, std::max(call.timeoutMs, 0) + answerSlackMs_);
  wire::Message answer;
  if (!wire::WriteMessage(fd_, wire::EncodeRequest(call)) || !wire::ReadMessage(fd_, answer)) {
    Drop();
    return kDrvDisconnected;
  }
  const std::optional<int> result = wire::DecodeAnswer(answer, call);
  if (!result) {
    Drop();
    return kDrvDisconnected;
  }
  return *result;
}

std::shared_ptr<PrinterDevice> ConnectSocketDevice(const std::string& location, int answerSlackMs) {
  auto device = std::make_shared<SocketDevice>(location, answerSlackMs);
  return device->Connect() ? device : nullptr;
}

}  // namespace driver
