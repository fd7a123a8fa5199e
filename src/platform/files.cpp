#include "platform/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

namespace platform {
namespace {

// A name beside the target that no other process or thread writes at the same time.
std::string TemporaryName(const std::string& path) {
  return path + "." + std::to_string(::getpid()) + "." +
         std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id())) + ".tmp";
}

// Writes the bytes whole into a new file; false, with the file removed, when it cannot.
bool WriteNewFile(const std::string& path, std::string_view bytes, bool syncToDisk) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes) && (!syncToDisk || ::fsync(fd) == 0);
  const bool closed = ::close(fd) == 0;
  if (written && closed) return true;
  std::remove(path.c_str());
  return false;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes, bool syncToDisk) {
  return ReplaceFiles({{path, bytes}}, syncToDisk);
}

bool ReplaceFiles(const std::vector<FileContent>& files, bool syncToDisk) {
  std::vector<std::string> temporaries;
  for (const FileContent& file : files) {
    temporaries.push_back(TemporaryName(file.path));
    if (!WriteNewFile(temporaries.back(), file.bytes, syncToDisk)) {
      for (const std::string& written : temporaries) std::remove(written.c_str());
      return false;
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::rename(temporaries[i].c_str(), files[i].path.c_str()) != 0) {
      for (std::size_t j = i; j < files.size(); ++j) std::remove(temporaries[j].c_str());
      return false;
    }
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::string& path,
                                                      std::size_t maxBytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes(maxBytes);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(maxBytes));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

void TreatFileSizeLimitAsFullDisk() { std::signal(SIGXFSZ, SIG_IGN); }

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace platform
