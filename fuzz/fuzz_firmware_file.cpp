// libFuzzer target: a firmware file as the printer reads it before it installs one; a file it
// takes must build back to itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vprinter/firmware_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vprinter::Bytes file(data, data + size);
  std::string error;
  const auto image = vprinter::ReadFirmwareFile(file, &error);
  if (image && vprinter::BuildFirmwareFile(*image) != file) std::abort();
  if (!image && error.empty()) std::abort();
  return 0;
}
