#include "platform/paths.h"

#include <unistd.h>

#include "platform/text.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace platform {
namespace {

std::mutex gFolderMutex;
std::string gProgramFolderOverride;

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string ExecutableFolder() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return WithoutTrailingSeparator(fs::current_path(error).string());
  return WithoutTrailingSeparator(exe.parent_path().string());
}

}  // namespace

std::string GetProgramFolder() {
  {
    std::lock_guard lock(gFolderMutex);
    if (!gProgramFolderOverride.empty()) return gProgramFolderOverride;
  }
  static const std::string executableFolder = ExecutableFolder();
  return executableFolder;
}

void SetProgramFolder(std::string_view folder) {
  std::string resolved;
  if (!folder.empty()) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(folder), error);
    resolved =
        WithoutTrailingSeparator((error ? fs::path(folder) : absolute).lexically_normal().string());
  }
  std::lock_guard lock(gFolderMutex);
  gProgramFolderOverride = std::move(resolved);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

bool EnsureDirectory(const std::string& path) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(path, error))) fs::create_directory(path, error);
  return true;
}

std::string ResolveCaseBlind(const std::string& path) {
  std::error_code error;
  if (path.empty() || fs::exists(path, error)) return path;
  const fs::path original(path);
  fs::path resolved = original.root_path();
  for (const fs::path& part : original.relative_path()) {
    fs::path candidate = resolved / part;
    if (!fs::exists(candidate, error)) {
      bool found = false;
      const fs::path folder = resolved.empty() ? fs::path(".") : resolved;
      for (fs::directory_iterator it(folder, error), end; !error && it != end;
           it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (EqualsCaseBlind(name, part.string())) {
          candidate = resolved / name;
          found = true;
          break;
        }
      }
      if (!found) return path;
    }
    resolved = std::move(candidate);
  }
  return resolved.string();
}

std::string DriveCFolder(std::string_view programFolder) {
  const char* drive = std::getenv("SystemDrive");
  if (drive != nullptr && *drive != '\0') return WithoutTrailingSeparator(drive);
  return JoinPath(programFolder, "drive_c");
}

std::string ServiceFolder(std::string_view programFolder) {
  return JoinPath(programFolder, "Service");
}

std::string PrintFileFolder(std::string_view programFolder) {
  return JoinPath(programFolder, "Prnfile");
}

std::string FirmwareFolder(std::string_view programFolder) {
  return JoinPath(programFolder, "Firmware");
}

std::string CsvFolder(std::string_view programFolder, std::string_view profile) {
  return JoinPath(JoinPath(DriveCFolder(programFolder), profile), "CSV");
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace platform
