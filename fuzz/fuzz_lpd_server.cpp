// libFuzzer target: whatever a client says to the printer's line printer daemon, over a real
// connection: the daemon answers and hangs up, and never runs out of memory or bounds. (A Unix
// domain socket, so that a million connections leave no ports waiting behind them.)

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "fuzz_files.h"
#include "vprinter/lpd_server.h"

namespace {

struct Daemon {
  vprinter::LpdServer server{[](const std::vector<std::uint8_t>&) {}};
  std::string path = fuzz::ScratchFolder() + "/lpd.sock";
  Daemon() {
    if (server.ListenUnix(path).empty()) std::abort();
    std::thread([this] { server.Serve(); }).detach();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Daemon* daemon = new Daemon;  // lives as long as the fuzzer
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, daemon->path.c_str(), daemon->path.size() + 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();
  ::send(fd, data, size, MSG_NOSIGNAL);
  ::shutdown(fd, SHUT_WR);
  char answer[256];
  while (::recv(fd, answer, sizeof answer, 0) > 0) {
  }
  ::close(fd);
  return 0;
}
