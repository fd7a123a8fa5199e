#pragma once
// A font as the program describes it: the fields of the platform's font-creation call that the
// program sets. The desktop front end turns it into a real font.

#include <cstdint>
#include <string>

namespace ui {

struct FontSpec {
  int height = 0;  // logical units; negative: character height, 0: the default size
  int weight = 0;  // 400 normal, 700 bold
  std::uint8_t italic = 0;
  std::uint8_t charSet = 0;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;
  std::string faceName;

  bool operator==(const FontSpec&) const = default;
};

}  // namespace ui
