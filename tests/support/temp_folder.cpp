#include "support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testing_support {

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "grelt-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string TempFolder::operator/(std::string_view relative) const {
  return (fs::path(path_) / relative).string();
}

std::string TempFolder::Write(std::string_view relative, std::string_view content) const {
  const fs::path file = fs::path(path_) / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return file.string();
}

std::string ReadWholeFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  if (in) content << in.rdbuf();
  return content.str();
}

std::string TempFolder::Read(std::string_view relative) const {
  return ReadWholeFile(fs::path(path_) / relative);
}

}  // namespace testing_support
