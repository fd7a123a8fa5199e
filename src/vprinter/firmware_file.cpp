#include "vprinter/firmware_file.h"

#include <zlib.h>

#include <algorithm>

namespace vprinter {

// zlib's CRC: a state file of 140 KB is saved on every NVRAM write.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t length) {
  return static_cast<std::uint32_t>(crc32_z(0, data, length));
}

namespace {

void PutDword(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t GetDword(const Bytes& in, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | in[at + static_cast<std::size_t>(i)];
  return value;
}

}  // namespace

Bytes BuildFirmwareFile(const FirmwareImage& image) {
  Bytes file(kFirmwareMagic.begin(), kFirmwareMagic.end());
  const std::string model = (image.model + "  ").substr(0, 2);
  file.insert(file.end(), model.begin(), model.end());
  const std::string version = image.version.substr(0, 255);
  file.push_back(static_cast<std::uint8_t>(version.size()));
  file.insert(file.end(), version.begin(), version.end());
  PutDword(file, static_cast<std::uint32_t>(image.payload.size()));
  file.insert(file.end(), image.payload.begin(), image.payload.end());
  PutDword(file, Crc32(file.data(), file.size()));
  return file;
}

std::optional<FirmwareImage> ReadFirmwareFile(const Bytes& file, std::string* error) {
  auto fail = [error](const char* why) -> std::optional<FirmwareImage> {
    if (error != nullptr) *error = why;
    return std::nullopt;
  };
  if (file.size() < kFirmwareMagic.size() + 3 ||
      !std::equal(kFirmwareMagic.begin(), kFirmwareMagic.end(), file.begin())) {
    return fail("not a firmware file");
  }
  FirmwareImage image;
  image.model.assign(file.begin() + 8, file.begin() + 10);
  const std::size_t versionLength = file[10];
  const std::size_t payloadAt = 11 + versionLength + 4;
  if (file.size() < payloadAt + 4) return fail("firmware file cut short");
  image.version.assign(file.begin() + 11,
                       file.begin() + 11 + static_cast<std::ptrdiff_t>(versionLength));
  const std::size_t payload = GetDword(file, payloadAt - 4);
  if (file.size() != payloadAt + payload + 4) return fail("firmware file cut short");
  if (Crc32(file.data(), file.size() - 4) != GetDword(file, file.size() - 4)) {
    return fail("firmware file damaged (checksum)");
  }
  image.payload.assign(file.begin() + static_cast<std::ptrdiff_t>(payloadAt), file.end() - 4);
  return image;
}

}  // namespace vprinter
