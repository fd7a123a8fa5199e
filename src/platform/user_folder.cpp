#include "platform/user_folder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/files.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// A file's digest for telling changed files apart: 64-bit FNV-1a of its bytes, in hex.
std::string Digest(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) {
      hash ^= static_cast<unsigned char>(buffer[i]);
      hash *= 0x100000001b3ULL;
    }
  }
  std::ostringstream text;
  text << std::hex << hash;
  return text.str();
}

// "digest path" lines, one per file.
std::map<std::string, std::string> ReadDigests(const fs::path& file) {
  std::map<std::string, std::string> digests;
  std::ifstream in(file);
  std::string digest;
  std::string path;
  while (in >> digest && std::getline(in >> std::ws, path)) digests[path] = digest;
  return digests;
}

bool IsExecutable(const fs::path& file) {
  return (fs::status(file).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// One shipped file into the copy; false with the reason when it could not be.
bool Place(const fs::path& from, const fs::path& to, std::string* error) {
  std::error_code failed;
  fs::create_directories(to.parent_path(), failed);
  fs::remove(to, failed);
  if (IsExecutable(from))
    fs::create_symlink(from, to, failed);
  else
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, failed);
  // A copy of a read-only shipped file must stay the user's to change.
  if (!failed && !fs::is_symlink(to))
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    failed);
  if (failed && error != nullptr) *error = to.string() + ": " + failed.message();
  return !failed;
}

}  // namespace

std::string UserProgramFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0')
    return JoinPath(data, "grelt02");
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    return JoinPath(home, ".local/share/grelt02");
  return "";
}

bool SyncUserFolder(const std::string& shipped, const std::string& copy, FolderSync* report,
                    std::string* error) {
  const fs::path digestFile = fs::path(copy) / kShippedDigests;
  const std::map<std::string, std::string> before = ReadDigests(digestFile);
  std::map<std::string, std::string> after;
  FolderSync sync;
  std::error_code failed;
  for (auto it = fs::recursive_directory_iterator(shipped, failed);
       !failed && it != fs::recursive_directory_iterator(); it.increment(failed)) {
    if (!it->is_regular_file()) continue;
    const std::string relative = fs::relative(it->path(), shipped).generic_string();
    if (relative == kInstalledMarker) continue;
    const fs::path target = fs::path(copy) / relative;
    const std::string digest = Digest(it->path());
    after[relative] = digest;
    const bool present = fs::exists(fs::symlink_status(target));
    const auto last = before.find(relative);
    if (present && last != before.end() && last->second == digest) continue;  // as shipped
    // A file the user changed (or made) stays theirs; the shipped one goes beside it.
    const std::string now = present ? Digest(target) : "";
    const bool theirs = present && !fs::is_symlink(target) && now != digest &&
                        (last == before.end() || now != last->second);
    if (theirs) {
      if (!Place(it->path(), target.string() + kNewerShippedSuffix, error)) return false;
      sync.kept.push_back(relative);
    } else {
      if (!Place(it->path(), target, error)) return false;
      (present ? sync.updated : sync.added).push_back(relative);
    }
  }
  if (failed) {
    if (error != nullptr) *error = shipped + ": " + failed.message();
    return false;
  }
  std::string lines;
  for (const auto& [path, digest] : after) lines += digest + " " + path + "\n";
  if (!ReplaceFile(digestFile.string(), lines)) {
    if (error != nullptr) *error = "cannot write " + digestFile.string();
    return false;
  }
  for (auto* list : {&sync.added, &sync.updated, &sync.kept}) std::sort(list->begin(), list->end());
  if (report != nullptr) *report = std::move(sync);
  return true;
}

bool UseUserProgramFolder(std::string* error) {
  const std::string shipped = GetProgramFolder();
  if (!fs::exists(fs::path(shipped) / kInstalledMarker)) return true;
  const std::string copy = UserProgramFolder();
  if (copy.empty()) {
    if (error != nullptr) *error = "neither XDG_DATA_HOME nor HOME is set";
    return false;
  }
  if (!SyncUserFolder(shipped, copy, nullptr, error)) return false;
  SetProgramFolder(copy);
  return true;
}

}  // namespace platform
