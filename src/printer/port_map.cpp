#include "printer/port_map.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include "driver/product_constants.h"
#include "platform/paths.h"

namespace printer {
namespace {

// USB.ini held exclusively, as the program's other readers and writers hold it.
class ExclusiveFile {
public:
  ExclusiveFile(const std::string& path, int flags)
      : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      locked_ = true;
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~ExclusiveFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;
  int Fd() const { return fd_; }
  // Another process holds the file.
  bool Locked() const { return locked_; }

private:
  int fd_;
  bool locked_ = false;
};

std::string ClassKey(const std::string& name) {
  return std::string(driver::kUsbPrintClassKey) + "\\" + name;
}

// The part between the second and the third '#'.
std::size_t InstanceLength(const std::string& link) {
  std::size_t hashes[3];
  std::size_t found = 0;
  for (std::size_t i = 0; i < link.size() && found < 3; ++i) {
    if (link[i] == '#') hashes[found++] = i;
  }
  return found < 3 ? 0 : hashes[2] - hashes[1] - 1;
}

}  // namespace

std::vector<std::string> DiscoverUsbPrinters(const platform::Registry& registry,
                                             std::vector<std::string>* attached) {
  struct Found {
    std::string link;
    std::int64_t lastWrite;
  };
  std::vector<Found> accepted;
  for (const std::string& name : registry.SubKeys(driver::kUsbPrintClassKey)) {
    if (accepted.size() == kPortMapSlots && attached == nullptr) break;
    const auto count = registry.GetValue(ClassKey(name) + "\\Control", "ReferenceCount");
    const auto* present = count ? std::get_if<std::uint32_t>(&*count) : nullptr;
    if (present == nullptr || (*present & 0xFF) == 0) continue;
    const auto link = registry.GetValue(ClassKey(name) + "\\#", "SymbolicLink");
    const auto* text = link ? std::get_if<std::string>(&*link) : nullptr;
    if (text == nullptr || text->size() > 256) continue;
    const std::size_t instance = InstanceLength(*text);
    if (instance < 10 || instance > 20) continue;
    if (attached != nullptr) attached->push_back(*text);
    // A fifth printer is not used.
    if (accepted.size() < kPortMapSlots)
      accepted.push_back({*text, registry.LastWriteTime(ClassKey(name) + "\\#").value_or(0)});
  }
  std::stable_sort(accepted.begin(), accepted.end(),
                   [](const Found& a, const Found& b) { return a.lastWrite < b.lastWrite; });
  std::vector<std::string> links;
  for (const Found& f : accepted) links.push_back(f.link);
  return links;
}

PortMap::PortMap(std::string programFolder, platform::Registry& registry, platform::Clock& clock)
    : programFolder_(std::move(programFolder)), registry_(registry), clock_(clock) {}

std::string PortMap::FilePath() const { return platform::JoinPath(programFolder_, kPortMapFile); }

std::string PortMap::Slot(int slot) const {
  return slot >= 1 && slot <= kPortMapSlots ? slots_[static_cast<std::size_t>(slot - 1)]
                                            : std::string();
}

std::string PortMap::PrinterForSlot(int slot) const {
  const std::string link = Slot(slot);
  const bool gone =
      !link.empty() && std::find(attached_.begin(), attached_.end(), link) == attached_.end();
  return gone && attached_.size() == 1 ? attached_.front() : link;
}

bool PortMap::ReadPortMapFile() {
  for (int attempt = 0; attempt < kLockTries; ++attempt) {
    ExclusiveFile file(FilePath(), O_RDONLY);
    if (file.Locked()) {
      clock_.Sleep(std::chrono::milliseconds(kLockRetryMs));
      continue;
    }
    if (file.Fd() < 0) return false;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(file.Fd(), buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<std::size_t>(n));
    // Tokens are separated by commas, CRs and LFs; the first four carry the four slots.
    std::vector<std::string> tokens;
    std::string token;
    for (const char c : text) {
      if (c == ',' || c == '\r' || c == '\n') {
        if (!token.empty()) tokens.push_back(token);
        token.clear();
      } else {
        token += c;
      }
    }
    if (!token.empty()) tokens.push_back(token);
    for (std::size_t i = 0; i < kPortMapSlots; ++i) {
      const std::string key = "Printer" + std::to_string(i + 1) + "=";
      previous_[i] =
          i < tokens.size() && tokens[i].rfind(key, 0) == 0 ? tokens[i].substr(key.size()) : "";
    }
    return true;
  }
  return false;
}

bool PortMap::WritePortMapFile() {
  std::string text;
  for (std::size_t i = 0; i < kPortMapSlots; ++i) {
    text += "Printer" + std::to_string(i + 1) + "=" + previous_[i] + "\r\n";
  }
  for (int attempt = 0; attempt < kLockTries; ++attempt) {
    // Written from the start without truncating: text behind the fourth line stays and is ignored.
    ExclusiveFile file(FilePath(), O_WRONLY | O_CREAT);
    if (file.Locked()) {
      clock_.Sleep(std::chrono::milliseconds(kLockRetryMs));
      continue;
    }
    if (file.Fd() < 0) return false;
    return ::pwrite(file.Fd(), text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
  }
  return false;
}

bool PortMap::LoadAtStartup() {
  if (!ReadPortMapFile()) return false;
  slots_ = previous_;
  return true;
}

// A new printer takes the first empty slot among the first n, n the printers discovered. Where
// those are all remembered for printers that are away (after a board or printer exchange), it
// takes the first slot never used, else the first slot of a printer that is not attached now:
// a printer plugged in alone always gets a port.
std::optional<std::size_t> PortMap::SlotForNewPrinter(
    const std::vector<std::string>& links, const std::vector<std::string>& attached) const {
  for (std::size_t i = 0; i < links.size() && i < kPortMapSlots; ++i) {
    if (slots_[i].empty()) return i;
  }
  for (std::size_t i = 0; i < kPortMapSlots; ++i) {
    if (slots_[i].empty()) return i;
  }
  for (std::size_t i = 0; i < kPortMapSlots; ++i) {
    if (std::find(attached.begin(), attached.end(), slots_[i]) == attached.end()) return i;
  }
  return std::nullopt;
}

void PortMap::RefreshPortMap() {
  std::vector<std::string>& attached = attached_;
  attached.clear();
  const std::vector<std::string> links = DiscoverUsbPrinters(registry_, &attached);
  ReadPortMapFile();
  for (const std::string& link : links) {
    const auto known = std::find(previous_.begin(), previous_.end(), link);
    if (known != previous_.end()) {
      slots_[static_cast<std::size_t>(known - previous_.begin())] = link;
      continue;
    }
    if (const std::optional<std::size_t> slot = SlotForNewPrinter(links, attached))
      slots_[*slot] = link;
  }
  previous_ = slots_;
  WritePortMapFile();
}

}  // namespace printer
