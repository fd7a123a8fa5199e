#include "vprinter/lpd_server.h"

#include <sys/socket.h>

#include <cerrno>
#include <optional>

namespace vprinter {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kMaxLine = 1024;
constexpr char kAck = 0;
constexpr char kRefused = 1;

bool Send(int fd, const std::string& text) {
  return ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}
bool Acknowledge(int fd, char answer = kAck) { return Send(fd, std::string(1, answer)); }

// One command line, without its "\n"; false at the end of the stream or for an overlong line.
bool ReadLine(int fd, std::string& line) {
  line.clear();
  char c = 0;
  for (;;) {
    const ssize_t n = ::recv(fd, &c, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || line.size() > kMaxLine) return false;
    if (c == '\n') return true;
    line += c;
  }
}

bool ReadExactly(int fd, std::size_t count, Bytes& into) {
  into.resize(count);
  std::size_t got = 0;
  while (got < count) {
    const ssize_t n = ::recv(fd, into.data() + got, count - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

// Everything until the sender closes; false when that is more than a job can be.
bool ReadToEnd(int fd, Bytes& into) {
  into.clear();
  std::uint8_t chunk[65536];
  for (;;) {
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    if (into.size() + static_cast<std::size_t>(n) > LpdServer::kMaxJob) return false;
    into.insert(into.end(), chunk, chunk + n);
  }
}

// The count of a "count SP name" subcommand: decimal digits only, at most 15 of them (the
// printers' own announcement has 15); nothing for anything else.
std::optional<std::size_t> Count(const std::string& operand) {
  const std::size_t digits = operand.find(' ');
  if (digits == 0 || digits == std::string::npos || digits > 15) return std::nullopt;
  std::size_t count = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    if (operand[i] < '0' || operand[i] > '9') return std::nullopt;
    count = count * 10 + static_cast<std::size_t>(operand[i] - '0');
  }
  return count;
}

}  // namespace

void LpdServer::Converse(int connection) {
  std::string line;
  if (!ReadLine(connection, line) || line.empty()) return;
  switch (line[0]) {
    case '\x02': ReceiveJob(connection); return;
    case '\x03':
    case '\x04':
      Send(connection, line.substr(1, line.find_first_of(" \t") - 1) + ": no entries\n");
      return;
    default: return;  // print waiting jobs, remove jobs: nothing waits here
  }
}

bool LpdServer::ReceiveJob(int connection) {
  if (!Acknowledge(connection)) return false;
  std::vector<Bytes> dataFiles;
  std::string line;
  Bytes file, end;
  while (ReadLine(connection, line)) {
    if (line.empty()) return Acknowledge(connection, kRefused);
    const std::optional<std::size_t> count = Count(line.substr(1));
    switch (line[0]) {
      case '\x01':  // abort the job
        dataFiles.clear();
        if (!Acknowledge(connection)) return false;
        continue;
      case '\x02':
      case '\x03':
        if (!count || (line[0] == '\x02' && *count > kMaxControlFile))
          return Acknowledge(connection, kRefused);
        break;
      default: return Acknowledge(connection, kRefused);
    }
    if (!Acknowledge(connection)) return false;
    if (line[0] == '\x03' && *count > kMaxAnnounced) {  // the printers' framing: until the end
      if (!ReadToEnd(connection, file)) return false;
      dataFiles.push_back(file);
      break;
    }
    if (!ReadExactly(connection, *count, file) || !ReadExactly(connection, 1, end) || end[0] != 0 ||
        !Acknowledge(connection))
      return false;  // cut short: nothing of this job is printed
    if (line[0] == '\x03') dataFiles.push_back(file);
  }
  for (const Bytes& data : dataFiles) print_(data);
  return true;
}

}  // namespace vprinter
