#pragma once
// What the information tool says about an NVRAM image: the rows a technician checks before a
// restore, the same as JSON, and the hex view.

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "nvram_files/image_files.h"

namespace nvram_info {

// Label and value, in the order the window shows them.
using Rows = std::vector<std::pair<std::string, std::string>>;

Rows ReportRows(const std::string& path, const nvram_files::ImageSummary& summary);
nlohmann::ordered_json ReportJson(const std::string& path, const nvram_files::ImageSummary& summary);

// Runs of all-0xFF blocks as [first address, last address] pairs.
std::vector<std::pair<int, int>> BlankRanges(const std::vector<int>& blankBlocks);

// Sixteen bytes a line: address, the bytes in hex, the printable characters.
std::string HexView(const std::vector<std::uint8_t>& image);

}  // namespace nvram_info
