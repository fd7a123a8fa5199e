#include "vprinter/stream_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace vprinter {

StreamServer::~StreamServer() { Finish(); }

void StreamServer::Finish() {
  Stop();
  for (Conversation& conversation : conversations_)
    if (conversation.thread.joinable()) conversation.thread.join();
  conversations_.clear();
  if (listener_ >= 0) ::close(listener_);
  listener_ = -1;
}

std::string StreamServer::ListenUnix(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return {};
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  std::error_code ignored;
  std::filesystem::remove(path, ignored);  // left by a server that was killed
  listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0 ||
      ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 8) != 0)
    return {};
  return "unix:" + path;
}

std::string StreamServer::ListenTcp(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int reuse = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  if (listener_ < 0 ||
      ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 8) != 0)
    return {};
  socklen_t size = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
  return "tcp:127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

void StreamServer::Serve() {
  while (!stopping_) {
    Reap();
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 200) <= 0) continue;  // looks at stopping_ five times a second
    const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    std::lock_guard lock(mutex_);
    connections_.push_back(connection);
    Conversation& conversation = conversations_.emplace_back();
    conversation.thread = std::thread([this, connection, &conversation] {
      Converse(connection);
      std::lock_guard lock(mutex_);
      connections_.remove(connection);
      ::close(connection);
      conversation.ended = true;
    });
  }
}

void StreamServer::Reap() {
  std::list<Conversation> ended;
  {
    std::lock_guard lock(mutex_);
    for (auto it = conversations_.begin(); it != conversations_.end();) {
      const auto next = std::next(it);
      if (it->ended) ended.splice(ended.end(), conversations_, it);
      it = next;
    }
  }
  for (Conversation& conversation : ended) conversation.thread.join();
}

void StreamServer::Stop() {
  stopping_ = true;
  std::lock_guard lock(mutex_);
  // The listener too: Serve returns at once, and nobody else gets through, as after a kill.
  if (listener_ >= 0) ::shutdown(listener_, SHUT_RDWR);
  for (const int connection : connections_) ::shutdown(connection, SHUT_RDWR);
}

}  // namespace vprinter
