#pragma once
// The text rasteriser: one line of text in DejaVu Sans Mono, about 40 dots high on a fixed
// baseline, each character centred in a cell 36 dots wide, into a monochrome image of 5400 byte
// columns by 48 rows. Byte [m][r] (at m * 48 + r)
// holds the eight dots of row r at byte column m, the leftmost dot in the highest bit.

#include <cstdint>

namespace driver {

inline constexpr int kStrImageColumns = 5400;
inline constexpr int kStrImageRows = 48;
inline constexpr int kStrImageBaseline = 37;  // the row the letters stand on

enum StrImageCode : int {
  kStrImageOk = 0,
  kStrImageNoFont = -1,  // the font file is missing or unreadable
  kStrImageNullPointer = -2,
};

// Renders length bytes of text (characters outside 0x20..0x7E as spaces) into the cleared image;
// what does not fit is cut. The font is DejaVu Sans Mono, or the file named by GRELT_FONT.
int GetStrImage(const char* text, int length, std::uint8_t* image);

}  // namespace driver
