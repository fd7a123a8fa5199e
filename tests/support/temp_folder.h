#pragma once
// A scratch folder for one test, removed with everything in it when the test ends.

#include <filesystem>
#include <string>
#include <string_view>

namespace testing_support {

// The bytes of a file, read in one go; empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file);

class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Path of a file below the folder.
  std::string operator/(std::string_view relative) const;
  // Writes a file below the folder, creating its parent folders; returns its path.
  std::string Write(std::string_view relative, std::string_view content) const;
  // The content of a file below the folder; empty when it cannot be read.
  std::string Read(std::string_view relative) const;

private:
  std::string path_;
};

}  // namespace testing_support
