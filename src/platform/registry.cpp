#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr const char* kValuesFile = ".values";
constexpr const char* kLockFile = ".lock";

struct StoredValue {
  std::string name;
  RegistryValue value;
};

struct KeyFile {
  std::int64_t lastWrite = 0;
  std::vector<StoredValue> values;
};

std::string Escape(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == '%' || byte >= 0x7F) {
      out += '%';
      out += hex[byte >> 4];
      out += hex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out.empty() ? "%" : out;  // a lone '%' stands for the empty text
}

std::optional<std::string> Unescape(const std::string& text) {
  if (text == "%") return std::string();
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const std::string pair = text.substr(i + 1, 2);
    char* end = nullptr;
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) return std::nullopt;
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

std::string ToHex(const RegistryBinary& bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (const std::uint8_t b : bytes) {
    out += hex[b >> 4];
    out += hex[b & 0xF];
  }
  return out.empty() ? "-" : out;
}

std::optional<RegistryBinary> FromHex(const std::string& text) {
  RegistryBinary bytes;
  if (text == "-") return bytes;
  if (text.size() % 2 != 0) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = text.substr(i, 2);
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
  return bytes;
}

// Reads a key's file; lines that do not parse are skipped.
KeyFile ReadKeyFile(const std::string& folder) {
  KeyFile file;
  std::ifstream in(folder + "/" + kValuesFile);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string type, name, data;
    if (!(fields >> type >> name)) continue;
    if (type == "lastwrite") {
      file.lastWrite = std::strtoll(name.c_str(), nullptr, 10);
      continue;
    }
    if (!(fields >> data)) continue;
    const std::optional<std::string> valueName = Unescape(name);
    if (!valueName) continue;
    if (type == "sz") {
      if (auto text = Unescape(data)) file.values.push_back({*valueName, *text});
    } else if (type == "dword") {
      file.values.push_back(
          {*valueName, static_cast<std::uint32_t>(std::strtoul(data.c_str(), nullptr, 10))});
    } else if (type == "binary") {
      if (auto bytes = FromHex(data)) file.values.push_back({*valueName, *bytes});
    }
  }
  return file;
}

bool WriteKeyFile(const std::string& folder, const KeyFile& file) {
  std::ostringstream text;
  text << "lastwrite " << file.lastWrite << '\n';
  for (const StoredValue& v : file.values) {
    if (const auto* s = std::get_if<std::string>(&v.value)) {
      text << "sz " << Escape(v.name) << ' ' << Escape(*s) << '\n';
    } else if (const auto* d = std::get_if<std::uint32_t>(&v.value)) {
      text << "dword " << Escape(v.name) << ' ' << *d << '\n';
    } else {
      text << "binary " << Escape(v.name) << ' ' << ToHex(std::get<RegistryBinary>(v.value))
           << '\n';
    }
  }
  return ReplaceFile(folder + "/" + kValuesFile, text.str());
}

// Holds the key's lock file for the length of a read-modify-write.
class KeyLock {
public:
  explicit KeyLock(const std::string& folder)
      : fd_(::open((folder + "/" + kLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~KeyLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  KeyLock(const KeyLock&) = delete;
  KeyLock& operator=(const KeyLock&) = delete;
  bool Held() const { return fd_ >= 0; }

private:
  int fd_;
};

}  // namespace

Registry::Registry(std::string root, Clock& clock) : root_(std::move(root)), clock_(clock) {}

std::string Registry::DefaultRoot(const std::string& programFolder) {
  const char* root = std::getenv("GRELT_REGISTRY");
  if (root != nullptr && *root != '\0') return root;
  return JoinPath(programFolder, "Registry");
}

std::string Registry::FolderOf(const std::string& key) const {
  std::string path = root_;
  std::size_t start = 0;
  while (start <= key.size()) {
    const std::size_t end = std::min(key.find('\\', start), key.size());
    const std::string part = key.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    // A name that would leave the registry folder is no key name.
    if (part == "." || part == ".." || part.find('/') != std::string::npos) return {};
    path = JoinPath(path, part);
  }
  return ResolveCaseBlind(path);
}

bool Registry::CreateKey(const std::string& key) {
  const std::string folder = FolderOf(key);
  if (folder.empty()) return false;
  std::error_code error;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error);
}

bool Registry::KeyExists(const std::string& key) const {
  const std::string folder = FolderOf(key);
  std::error_code error;
  return !folder.empty() && fs::is_directory(folder, error);
}

bool Registry::DeleteKey(const std::string& key) {
  const std::string folder = FolderOf(key);
  std::error_code error;
  if (folder.empty() || folder == root_ || !fs::is_directory(folder, error)) return false;
  fs::remove_all(folder, error);
  return !error;
}

std::vector<std::string> Registry::SubKeys(const std::string& key) const {
  std::vector<std::string> names;
  const std::string folder = FolderOf(key);
  std::error_code error;
  if (folder.empty()) return names;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_directory(error)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<RegistryValue> Registry::GetValue(const std::string& key,
                                                const std::string& name) const {
  const std::string folder = FolderOf(key);
  if (folder.empty()) return std::nullopt;
  for (StoredValue& v : ReadKeyFile(folder).values) {
    if (EqualsCaseBlind(v.name, name)) return std::move(v.value);
  }
  return std::nullopt;
}

bool Registry::SetValue(const std::string& key, const std::string& name, RegistryValue value) {
  if (!CreateKey(key)) return false;
  const std::string folder = FolderOf(key);
  KeyLock lock(folder);
  if (!lock.Held()) return false;
  KeyFile file = ReadKeyFile(folder);
  bool replaced = false;
  for (StoredValue& v : file.values) {
    if (EqualsCaseBlind(v.name, name)) {
      v.value = std::move(value);
      replaced = true;
      break;
    }
  }
  if (!replaced) file.values.push_back({name, std::move(value)});
  file.lastWrite = clock_.UnixMillis();
  return WriteKeyFile(folder, file);
}

bool Registry::SetString(const std::string& key, const std::string& name,
                         const std::string& value) {
  return SetValue(key, name, value);
}

bool Registry::SetDword(const std::string& key, const std::string& name, std::uint32_t value) {
  return SetValue(key, name, value);
}

bool Registry::SetBinary(const std::string& key, const std::string& name,
                         const RegistryBinary& value) {
  return SetValue(key, name, value);
}

bool Registry::DeleteValue(const std::string& key, const std::string& name) {
  const std::string folder = FolderOf(key);
  std::error_code error;
  if (folder.empty() || !fs::is_directory(folder, error)) return false;
  KeyLock lock(folder);
  KeyFile file = ReadKeyFile(folder);
  const auto before = file.values.size();
  std::erase_if(file.values,
                [&name](const StoredValue& v) { return EqualsCaseBlind(v.name, name); });
  if (file.values.size() == before) return false;
  file.lastWrite = clock_.UnixMillis();
  return WriteKeyFile(folder, file);
}

std::optional<std::int64_t> Registry::LastWriteTime(const std::string& key) const {
  const std::string folder = FolderOf(key);
  std::error_code error;
  if (folder.empty() || !fs::is_directory(folder, error)) return std::nullopt;
  return ReadKeyFile(folder).lastWrite;
}

}  // namespace platform
