#include "encoder/raster_commands.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/get_str_image.h"
#include "encoder/compression.h"
#include "printer/printer_link.h"

namespace encoder {
namespace {

constexpr std::uint32_t kPositionLimit = 0x1FFFFFFF;
constexpr int kTextLineBytes = 756;  // 1-bit bytes of a text line used
constexpr int kTextRowBytes = 1512;  // 2-bit bytes of a text row
constexpr int kTextGlyphRows = 48;
constexpr int kTextBlankRows = 12;
constexpr int kRowsPerLine = kTextGlyphRows + kTextBlankRows;
constexpr std::size_t kMaxColumns = 600;
constexpr std::size_t kLinesPerBand = 6;

std::atomic<int> gTextType{1};
std::atomic<int> gTextColour{1};

using Bytes = std::vector<std::uint8_t>;

void PutWord(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutDword(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

bool Append(printer::CPrinterLink& link, const Bytes& bytes) {
  return link.AppendJob(bytes.data(), bytes.size());
}

// ESC ( letter, 16-bit length, parameters.
bool AppendParen(printer::CPrinterLink& link, char letter, const Bytes& params) {
  Bytes bytes = {0x1B, 0x28, static_cast<std::uint8_t>(letter)};
  PutWord(bytes, static_cast<std::uint32_t>(params.size()));
  bytes.insert(bytes.end(), params.begin(), params.end());
  return Append(link, bytes);
}

void Say(printer::CPrinterLink& link, const std::string& text) {
  link.Environment().ui.MessageBox(text, ui::kApplicationTitle, ui::kOk);
}

std::uint8_t Low(int value) { return static_cast<std::uint8_t>(value); }

}  // namespace

bool IsColourCode(int code) {
  return std::find(std::begin(kColourCodes), std::end(kColourCodes), code) !=
         std::end(kColourCodes);
}

bool ResetPrinter(printer::CPrinterLink& link) { return Append(link, {0x1B, 0x40}); }

bool EndPage(printer::CPrinterLink& link) {
  return Append(link, {0x0D, 0x0A, 0x0C, 0x1B, 0x40, 0x1B, 0x40});
}

bool EnterGraphicsMode(printer::CPrinterLink& link) { return AppendParen(link, 'G', {0x01}); }

bool SetUnit(printer::CPrinterLink& link, int page, int vertical, int horizontal, int base) {
  Bytes params = {Low(page), Low(vertical), Low(horizontal)};
  PutWord(params, static_cast<std::uint32_t>(base));
  return AppendParen(link, 'U', params);
}

bool SetResolutionInfo(printer::CPrinterLink& link, int base, int divisor) {
  if (divisor <= 0 || base < divisor || base % divisor != 0) {
    Say(link, "SetResolutionInfo() Parameter Error.");
    return false;
  }
  Bytes params;
  PutWord(params, static_cast<std::uint32_t>(base));
  params.push_back(Low(base / divisor));
  params.push_back(0x01);
  return AppendParen(link, 'D', params);
}

bool SetDirection(printer::CPrinterLink& link, int direction) {
  return Append(link, {0x1B, 0x55, Low(direction)});
}

bool SetColorMode(printer::CPrinterLink& link, int mode) {
  return AppendParen(link, 'K', {0x00, Low(mode)});
}

bool SetDotSize(printer::CPrinterLink& link, int size) {
  return AppendParen(link, 'e', {0x00, Low(size)});
}

bool SetMethodOptions(printer::CPrinterLink& link, int a, int b) {
  return AppendParen(link, 'i', {Low(a), Low(b), 0x00});
}

bool SetPageMargins(printer::CPrinterLink& link, std::uint32_t top, std::uint32_t bottom) {
  Bytes params;
  PutDword(params, top);
  PutDword(params, bottom);
  return AppendParen(link, 'c', params);
}

bool SetPageLength(printer::CPrinterLink& link, std::uint32_t length) {
  Bytes params;
  PutDword(params, length);
  return AppendParen(link, 'C', params);
}

bool SetPaperSize(printer::CPrinterLink& link, std::uint32_t width, std::uint32_t length) {
  Bytes params;
  PutDword(params, width);
  PutDword(params, length);
  return AppendParen(link, 'S', params);
}

bool SetAbsHoriPos(printer::CPrinterLink& link, std::uint32_t position) {
  if (position > kPositionLimit) {
    char text[96];
    std::snprintf(text, sizeof text, "SetAbsHoriPos setting Limit Over!!  %d / %X",
                  static_cast<int>(position), position);
    Say(link, text);
  }
  Bytes params;
  PutDword(params, position);
  return AppendParen(link, '$', params);
}

bool SetRelVertPos4Byte(printer::CPrinterLink& link, std::uint32_t distance) {
  if (distance > kPositionLimit) Say(link, "SetRelVertPos4Byte setting Limit Over!!");
  Bytes bytes = {0x1B, 0x28, 0x76, 0x04, 0x00};
  PutDword(bytes, distance);
  bytes.push_back(0x0D);
  return Append(link, bytes);
}

bool SetRasterData(printer::CPrinterLink& link, int colour, int bitsPerDot, int bytesPerLine,
                   int lines) {
  if (bitsPerDot != 1 && bitsPerDot != 2) {
    Say(link, "SetRasterData() Parameter Error.");
    return false;
  }
  Bytes bytes = {0x1B, 0x69, Low(colour), 0x01, Low(bitsPerDot)};
  PutWord(bytes, static_cast<std::uint32_t>(bytesPerLine));
  PutWord(bytes, static_cast<std::uint32_t>(lines));
  return Append(link, bytes);
}

void TXSetInfo(printer::CPrinterLink& link, int type, int colour) {
  if (type != 1 && type != 2) Say(link, "TXSetInfo parameter error 5");
  if (!IsColourCode(colour)) Say(link, "TXSetInfo parameter error 8");
  gTextType = type;
  gTextColour = colour;
}

int TextType() { return gTextType; }
int TextColour() { return gTextColour; }

namespace {

// One band of text lines: the raster header, then for type 2 the rendered rows.
bool PrintBand(printer::CPrinterLink& link, const std::vector<std::string>& lines,
               std::uint32_t horizontalPosition) {
  const int count = static_cast<int>(lines.size());
  if (!SetAbsHoriPos(link, horizontalPosition) ||
      !SetRasterData(link, TextColour(), 2, kTextRowBytes, kRowsPerLine * count)) {
    return false;
  }
  if (TextType() != 2) return true;
  std::vector<std::uint8_t> image(static_cast<std::size_t>(driver::kStrImageColumns) *
                                  driver::kStrImageRows);
  std::uint8_t line[kTextLineBytes];
  std::uint8_t row[kTextRowBytes];
  for (const std::string& text : lines) {
    std::fill(image.begin(), image.end(), 0);
    driver::GetStrImage(text.data(), static_cast<int>(text.size()), image.data());
    for (int r = 0; r < kTextGlyphRows; ++r) {
      for (int m = 0; m < kTextLineBytes; ++m)
        line[m] = image[static_cast<std::size_t>(m * driver::kStrImageRows + r)];
      ExpandTo2Bit(line, row, kTextLineBytes);
      if (!AppendCompressed(link, row, kTextRowBytes)) return false;
    }
    for (int r = 0; r < kTextBlankRows; ++r) {
      if (!AppendBitPattern(link, "00000000", kTextRowBytes)) return false;
    }
  }
  return true;
}

}  // namespace

bool PrintTextBand(printer::CPrinterLink& link, std::string_view text, int verticalAllowance,
                   std::uint32_t horizontalPosition) {
  std::vector<std::string> lines;
  std::string current;
  int bandsBefore = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c <= 0x7E) {
      if (current.size() < kMaxColumns) current += static_cast<char>(c);
      continue;
    }
    if (c != 0x0D) continue;
    lines.push_back(current);
    current.clear();
    const bool nearEnd = i + 2 >= text.size();
    if (lines.size() < kLinesPerBand && !nearEnd) continue;
    if (!PrintBand(link, lines, horizontalPosition)) return false;
    const int printed = static_cast<int>(lines.size());
    lines.clear();
    if (nearEnd) break;
    ++bandsBefore;
    if (!SetRelVertPos4Byte(link, static_cast<std::uint32_t>(8 * kRowsPerLine * printed)))
      return false;
  }
  const int remainder = verticalAllowance - 2880 * bandsBefore;
  if (remainder < 0) {
    link.SetLastError(printer::kTextFeedTooLong);
    return false;
  }
  return SetRelVertPos4Byte(link, static_cast<std::uint32_t>(remainder));
}

}  // namespace encoder
