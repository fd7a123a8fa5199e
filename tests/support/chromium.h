#pragma once
// Debian's Chromium, headless, as the reader of the pages the program writes: the page's DOM as
// Chromium parsed it, and a screenshot read back as pixels. WhyChromiumCannotRun() says what is
// missing where it cannot.

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace testing_support {

inline constexpr const char* kChromium = "/usr/bin/chromium";

inline std::string WhyChromiumCannotRun() {
  return std::filesystem::exists(kChromium)
             ? ""
             : "Debian's chromium package is not installed (./test.sh installs it)";
}

// Headless, with nothing of its own reaching the network (a closed network refuses it loudly).
inline std::string ChromiumCommand(const TempFolder& profile, const std::string& what) {
  return std::string(kChromium) +
         " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
         "--disable-background-networking --disable-component-update --disable-sync "
         "--hide-scrollbars --user-data-dir='" +
         profile / "profile" + "' " + what;
}

// The page's DOM after Chromium parsed it.
inline std::string ChromiumDom(const std::string& page) {
  TempFolder profile;
  return RunProgram(ChromiumCommand(profile, "--dump-dom 'file://" + page + "'")).out;
}

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // three bytes a pixel, row after row

  // How many pixels have exactly this colour.
  int Count(std::uint32_t colour) const {
    int count = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
      count += static_cast<std::uint32_t>((rgb[i] << 16) | (rgb[i + 1] << 8) | rgb[i + 2]) == colour
                   ? 1
                   : 0;
    return count;
  }
};

// A screenshot of the page at this window size, kept as `png` too; empty when none was taken.
inline Screenshot ChromiumScreenshot(const std::string& page, const std::string& png, int width,
                                     int height) {
  TempFolder profile;
  RunProgram(ChromiumCommand(profile, "--window-size=" + std::to_string(width) + "," +
                                          std::to_string(height) + " --screenshot='" + png +
                                          "' 'file://" + page + "'"));
  Screenshot shot;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, png.c_str()) == 0) return shot;
  image.format = PNG_FORMAT_RGB;
  shot.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, shot.rgb.data(), 0, nullptr) == 0) return {};
  shot.width = static_cast<int>(image.width);
  shot.height = static_cast<int>(image.height);
  return shot;
}

}  // namespace testing_support
