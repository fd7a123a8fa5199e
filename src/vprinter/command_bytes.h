#pragma once
// Little-endian numbers in a command's parameter bytes.

#include <cstdint>

#include "vprinter/command_parser.h"

namespace vprinter {

inline std::uint16_t Word(const Bytes& p, std::size_t at) {
  return static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8));
}

inline std::uint32_t Dword(const Bytes& p, std::size_t at) {
  return static_cast<std::uint32_t>(p[at] | (p[at + 1] << 8) | (p[at + 2] << 16)) |
         (std::uint32_t{p[at + 3]} << 24);
}

}  // namespace vprinter
