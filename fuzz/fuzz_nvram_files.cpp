// libFuzzer target: an NVRAM image file as the restore and the information tool read it, and a
// list file's date stamp as the restore compares it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_files.h"
#include "nvram_files/image_files.h"
#include "platform/files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput("pcdbkup.tmp", data, size);
  std::vector<std::uint8_t> image;
  if (nvram_files::SummariseImageFile(path, &image)) nvram_files::ImageSerialNumber(image);
  if (const auto head = platform::ReadFileHead(path, nvram_files::kListFileSize)) {
    std::vector<std::uint8_t> lists(nvram_files::kListFileSize, 0);
    std::copy(head->begin(), head->end(), lists.begin());
    nvram_files::GetDateStamp(&lists[nvram_files::kListsBytes]);
  }
  return 0;
}
