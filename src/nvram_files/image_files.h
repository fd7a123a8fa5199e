#pragma once
// The files of a main-board exchange. An NVRAM image holds the Ctrl NVRAM 0x0000..0xFFFF byte for
// byte (0x4000..0x7FFF is never read and stays 0xFF) and the date it was read; a list file holds
// the printer's lists D6 and A3 and the same date, which ties it to its image.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvram_files {

inline constexpr std::size_t kNvramBytes = 0x10000;
inline constexpr std::size_t kDateStampBytes = 24;
inline constexpr std::size_t kImageFileSize = kNvramBytes + kDateStampBytes;  // 65,560
inline constexpr std::size_t kListD6Bytes = 0x1000;
inline constexpr std::size_t kListA3Bytes = 0x10000;
inline constexpr std::size_t kListsBytes = kListD6Bytes + kListA3Bytes;
inline constexpr std::size_t kListFileSize = kListsBytes + kDateStampBytes;  // 69,656
inline constexpr std::uint8_t kListD6 = 0xD6;
inline constexpr std::uint8_t kListA3 = 0xA3;

// The work files of the exchange, in the service folder.
inline constexpr const char* kWorkImageFile = "pcdbkup.tmp";
inline constexpr const char* kWorkListFile = "mainboard.tmp";

// No transfer touches this range: the printer keeps nothing there that moves with its board.
inline constexpr int kSkippedFrom = 0x4000;
inline constexpr int kSkippedTo = 0x8000;  // exclusive
inline bool IsSkipped(int address) { return address >= kSkippedFrom && address < kSkippedTo; }

// The local date and time a backup finished, as six 32-bit little-endian fields.
struct DateStamp {
  std::int32_t year = 0, month = 0, day = 0, hour = -1, minute = -1, second = -1;
  bool operator==(const DateStamp&) const = default;
};
// The local time of the moment; year, month and day 0 and the rest -1 when it cannot be computed.
DateStamp LocalDateStamp(std::int64_t unixSeconds);
void PutDateStamp(std::uint8_t* at, const DateStamp& stamp);
DateStamp GetDateStamp(const std::uint8_t* at);

// The four-byte date record of an exchange: year byte (year + 48, modulo 256, which is
// year - 2000), month, day, hour; 48, 0, 0, 0xFF when the local time cannot be computed.
std::array<std::uint8_t, 4> ExchangeDateRecord(std::int64_t unixSeconds);

// An image of kImageFileSize bytes, all 0xFF.
std::vector<std::uint8_t> BlankImage();

// The ten serial-number characters of an image (or any longer buffer) as text, up to the first
// zero byte.
std::string ImageSerialNumber(const std::vector<std::uint8_t>& image);

// What a technician checks in an image before a restore.
struct ImageSummary {
  std::size_t fileSize = 0;
  std::string serialNumber;
  DateStamp date;
  std::array<std::uint8_t, 6> destination{};
  std::uint8_t destinationSet = 0;
  std::uint8_t boardInitialised = 0;
  std::array<std::uint8_t, 5> exchangeStamp{};
  std::vector<int> blankBlocks;  // start addresses of 256-byte blocks that are all 0xFF
};
// Reads an image file (a short file is read as far as it goes, the rest counted as zero);
// nothing when it cannot be opened.
std::optional<ImageSummary> SummariseImageFile(const std::string& path,
                                               std::vector<std::uint8_t>* image = nullptr);

}  // namespace nvram_files
