#include "gui/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace gui {

bool EnsureRuntimeFolder() {
  if (const char* given = std::getenv("XDG_RUNTIME_DIR"); given != nullptr && *given != '\0')
    return true;
  std::error_code error;
  const std::string folder = (std::filesystem::temp_directory_path(error) /
                              ("grelt02-runtime-" + std::to_string(::getuid())))
                                 .string();
  ::mkdir(folder.c_str(), 0700);
  // Another user's folder, or one others may enter, is not ours to use.
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
      (info.st_mode & 077) != 0)
    return false;
  return ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1) == 0;
}

}  // namespace gui
