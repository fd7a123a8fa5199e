#pragma once
// Firmware files (.UPG) as the printers of this program take them: the marker "GRELTFW1", the
// model code (2 letters), the version text (1 length byte, then the text), the payload length
// (4 bytes, little-endian), the payload, and a CRC-32 of everything before it (4 bytes).

#include <optional>
#include <string>

#include "vprinter/command_parser.h"

namespace vprinter {

struct FirmwareImage {
  std::string model;    // two letters
  std::string version;  // the new firmware version text; starts with the model code
  Bytes payload;
};

Bytes BuildFirmwareFile(const FirmwareImage& image);
// The image of a complete file, or nothing with the reason in *error.
std::optional<FirmwareImage> ReadFirmwareFile(const Bytes& file, std::string* error);

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length);

}  // namespace vprinter
