#include "nvram_files/image_files.h"

#include <algorithm>
#include <ctime>

#include "driver/nvram_map.h"
#include "platform/files.h"

namespace nvram_files {
namespace {

bool LocalTime(std::int64_t unixSeconds, std::tm& local) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  return localtime_r(&time, &local) != nullptr;
}

}  // namespace

DateStamp LocalDateStamp(std::int64_t unixSeconds) {
  std::tm local{};
  if (!LocalTime(unixSeconds, local)) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

void PutDateStamp(std::uint8_t* at, const DateStamp& stamp) {
  const std::int32_t fields[6] = {stamp.year, stamp.month,  stamp.day,
                                  stamp.hour, stamp.minute, stamp.second};
  for (std::int32_t field : fields) {
    const auto value = static_cast<std::uint32_t>(field);
    for (int i = 0; i < 4; ++i) *at++ = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

DateStamp GetDateStamp(const std::uint8_t* at) {
  std::int32_t fields[6];
  for (std::int32_t& field : fields) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(*at++) << (8 * i);
    field = static_cast<std::int32_t>(value);
  }
  return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

std::array<std::uint8_t, 4> ExchangeDateRecord(std::int64_t unixSeconds) {
  std::tm local{};
  if (!LocalTime(unixSeconds, local)) return {48, 0, 0, 0xFF};
  return {static_cast<std::uint8_t>(local.tm_year + 1900 + 48),
          static_cast<std::uint8_t>(local.tm_mon + 1), static_cast<std::uint8_t>(local.tm_mday),
          static_cast<std::uint8_t>(local.tm_hour)};
}

std::vector<std::uint8_t> BlankImage() { return std::vector<std::uint8_t>(kImageFileSize, 0xFF); }

std::string ImageSerialNumber(const std::vector<std::uint8_t>& image) {
  namespace nv = driver::nvram;
  std::string serial(reinterpret_cast<const char*>(&image[nv::kSerialNumber]), nv::kSerialLength);
  return serial.substr(0, serial.find('\0'));
}

std::optional<ImageSummary> SummariseImageFile(const std::string& path,
                                               std::vector<std::uint8_t>* image) {
  namespace nv = driver::nvram;
  const auto bytes = platform::ReadFileHead(path, kImageFileSize);
  if (!bytes) return std::nullopt;
  std::vector<std::uint8_t> full(kImageFileSize, 0);
  std::copy(bytes->begin(), bytes->end(), full.begin());
  ImageSummary summary;
  summary.fileSize = bytes->size();
  summary.serialNumber = ImageSerialNumber(full);
  summary.date = GetDateStamp(&full[kNvramBytes]);
  for (int i = 0; i < 6; ++i) summary.destination[i] = full[nv::kDestinationBytes[i]];
  summary.destinationSet = full[nv::kDestinationSet];
  summary.boardInitialised = full[nv::kBoardInitialised];
  std::copy_n(&full[nv::kExchangeStamp], nv::kExchangeStampLength, summary.exchangeStamp.begin());
  for (std::size_t block = 0; block < kNvramBytes; block += 256) {
    const auto begin = full.begin() + static_cast<std::ptrdiff_t>(block);
    if (std::all_of(begin, begin + 256, [](std::uint8_t b) { return b == 0xFF; }))
      summary.blankBlocks.push_back(static_cast<int>(block));
  }
  if (image != nullptr) *image = std::move(full);
  return summary;
}

}  // namespace nvram_files
