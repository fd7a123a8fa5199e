#pragma once
// What the file-reading fuzz targets share: one scratch folder per process, and the fuzzer's input
// written into it as a file, since the readers under test read files the way the program does.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace fuzz {

inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "grelt-fuzz-XXXXXX").string();
    return std::string(::mkdtemp(pattern.data()));
  }();
  return folder;
}

inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchFolder() + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

}  // namespace fuzz
