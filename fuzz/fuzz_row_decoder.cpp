// libFuzzer target: the run-length row decoder on any bytes and any row width, and the encoder's
// rows decoded back to themselves.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "encoder/compression.h"
#include "vprinter/command_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t width = 1 + ((data[0] << 8 | data[1]) % 4096);
  vprinter::Bytes row;
  bool damaged = false;
  const std::size_t used =
      vprinter::CommandParser::DecodeRow(data + 2, size - 2, width, row, &damaged);
  if (used > size - 2) std::abort();
  // The input as a row: compressed by the program, decoded by the printer, it must come back.
  std::vector<std::uint8_t> packed(encoder::MaxCompressedSize(size - 2));
  const std::size_t length = encoder::CompressRow(data + 2, size - 2, packed.data());
  if (length > packed.size()) std::abort();
  if (size > 2) {
    vprinter::Bytes back;
    damaged = false;
    const std::size_t read =
        vprinter::CommandParser::DecodeRow(packed.data(), length, size - 2, back, &damaged);
    if (read != length || damaged || back != vprinter::Bytes(data + 2, data + size)) std::abort();
  }
  return 0;
}
