#pragma once
// The information tool's window: the facts of an image above, every byte below, Close at the
// foot. Escape closes it and Enter presses Close, as in every other window of the program.

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "nvram_files/image_files.h"

namespace nvram_info {

inline constexpr const char* kTitle = "Printer Data Information Tool";

class InfoWindow : public QDialog {
public:
  InfoWindow(const std::string& path, const nvram_files::ImageSummary& summary,
             const std::vector<std::uint8_t>& image);
};

}  // namespace nvram_info
