#include "image_report.h"

#include <cstdio>

#include "driver/product_constants.h"

namespace nvram_info {
namespace {

namespace files = nvram_files;

std::string Hex(int value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string Bytes(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  char hex[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
    text += (i == 0 ? "" : " ") + std::string(hex);
  }
  return text;
}

std::string DateText(const files::DateStamp& d) {
  if (d.year == 0) return "unknown (the backup could not read the local time)";
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  return text;
}

std::string SizeText(std::size_t size) {
  if (size == files::kImageFileSize) return std::to_string(size) + " bytes (complete)";
  return std::to_string(size) + " bytes (not an image: " + std::to_string(files::kImageFileSize) +
         " expected)";
}

bool IsProgramDestination(const std::array<std::uint8_t, 6>& destination) {
  const auto record = driver::FindDestination(driver::kProgramDestination);
  return record && std::equal(destination.begin(), destination.end(), record->begin());
}

std::string FlagText(std::uint8_t flag) {
  return flag == 1 ? "1 (set)" : std::to_string(flag) + " (not set)";
}

std::string StampText(const std::array<std::uint8_t, 5>& s) {
  if (s[0] != 1) return Bytes(s.data(), s.size()) + " (no exchange recorded)";
  char text[80];
  std::snprintf(text, sizeof text, "%s (board exchanged %04d-%02d-%02d, hour %d)",
                Bytes(s.data(), s.size()).c_str(), 2000 + s[1], s[2], s[3], s[4]);
  return text;
}

std::string BlankText(const std::vector<int>& blankBlocks) {
  std::string text;
  for (const auto& [from, to] : BlankRanges(blankBlocks)) {
    if (!text.empty()) text += ", ";
    text += Hex(from, 4) + "-" + Hex(to, 4);
  }
  return text.empty() ? "none" : text + " (" + std::to_string(blankBlocks.size()) + " blocks)";
}

}  // namespace

std::vector<std::pair<int, int>> BlankRanges(const std::vector<int>& blankBlocks) {
  std::vector<std::pair<int, int>> ranges;
  for (int block : blankBlocks) {
    if (!ranges.empty() && ranges.back().second + 1 == block) {
      ranges.back().second = block + 255;
    } else {
      ranges.push_back({block, block + 255});
    }
  }
  return ranges;
}

Rows ReportRows(const std::string& path, const files::ImageSummary& s) {
  return {{"File", path},
          {"Size", SizeText(s.fileSize)},
          {"Serial number", s.serialNumber.empty() ? "(none)" : s.serialNumber},
          {"Backup date", DateText(s.date)},
          {"Destination bytes", Bytes(s.destination.data(), s.destination.size()) +
                                    (IsProgramDestination(s.destination)
                                         ? " (this program's destination)"
                                         : " (another destination)")},
          {"Destination set (161)", FlagText(s.destinationSet)},
          {"Board initialised (168)", FlagText(s.boardInitialised)},
          {"Exchange stamp (0x110)", StampText(s.exchangeStamp)},
          {"Blocks all 0xFF", BlankText(s.blankBlocks)}};
}

nlohmann::ordered_json ReportJson(const std::string& path, const files::ImageSummary& s) {
  nlohmann::ordered_json blank = nlohmann::ordered_json::array();
  for (const auto& [from, to] : BlankRanges(s.blankBlocks)) blank.push_back({from, to});
  const files::DateStamp& d = s.date;
  return {{"file", path},
          {"size", s.fileSize},
          {"complete", s.fileSize == files::kImageFileSize},
          {"serialNumber", s.serialNumber},
          {"backupDate", {d.year, d.month, d.day, d.hour, d.minute, d.second}},
          {"destination", s.destination},
          {"programDestination", IsProgramDestination(s.destination)},
          {"destinationSet", s.destinationSet},
          {"boardInitialised", s.boardInitialised},
          {"exchangeStamp", s.exchangeStamp},
          {"blankBlockCount", s.blankBlocks.size()},
          {"blankRanges", blank}};
}

std::string HexView(const std::vector<std::uint8_t>& image) {
  std::string text;
  text.reserve(image.size() * 5);
  for (std::size_t line = 0; line < image.size(); line += 16) {
    const std::size_t count = std::min<std::size_t>(16, image.size() - line);
    char address[24];
    std::snprintf(address, sizeof address, "%05zX  ", line);
    text += address + Bytes(&image[line], count) + std::string((16 - count) * 3, ' ') + "  ";
    for (std::size_t i = 0; i < count; ++i) {
      const char c = static_cast<char>(image[line + i]);
      text += c >= 0x20 && c < 0x7F ? c : '.';
    }
    text += '\n';
  }
  return text;
}

}  // namespace nvram_info
