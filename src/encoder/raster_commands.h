#pragma once
// Page and raster commands, and the text band that prints text lines as raster. Each appends its
// bytes to the link's job; numbers are little-endian; nothing is sent before FlushJob.

#include <cstdint>
#include <string_view>

namespace printer {
class CPrinterLink;
}

namespace encoder {

// Raster colour codes in use.
inline constexpr int kColourCodes[] = {0, 1, 2, 4, 64, 65, 66, 68, 128, 192};
bool IsColourCode(int code);

bool ResetPrinter(printer::CPrinterLink& link);
bool EndPage(printer::CPrinterLink& link);
bool EnterGraphicsMode(printer::CPrinterLink& link);
bool SetUnit(printer::CPrinterLink& link, int page, int vertical, int horizontal, int base);
bool SetResolutionInfo(printer::CPrinterLink& link, int base, int divisor);
bool SetDirection(printer::CPrinterLink& link, int direction);
bool SetColorMode(printer::CPrinterLink& link, int mode);
bool SetDotSize(printer::CPrinterLink& link, int size);
bool SetMethodOptions(printer::CPrinterLink& link, int a, int b);
bool SetPageMargins(printer::CPrinterLink& link, std::uint32_t top, std::uint32_t bottom);
bool SetPageLength(printer::CPrinterLink& link, std::uint32_t length);
bool SetPaperSize(printer::CPrinterLink& link, std::uint32_t width, std::uint32_t length);
bool SetAbsHoriPos(printer::CPrinterLink& link, std::uint32_t position);
bool SetRelVertPos4Byte(printer::CPrinterLink& link, std::uint32_t distance);
// Announces `lines` compressed rows of bytesPerLine bytes, 1 or 2 bits per dot.
bool SetRasterData(printer::CPrinterLink& link, int colour, int bitsPerDot, int bytesPerLine,
                   int lines);

// The text mode of PrintTextBand, one for the whole program: type 2 renders the text, type 1
// announces the raster only. Out-of-range values are told and stored all the same.
void TXSetInfo(printer::CPrinterLink& link, int type, int colour);
int TextType();
int TextColour();

// Prints up to six text lines per band (60 rows each), then feeds what is left of the vertical
// allowance; false (LastError -941) when the text needs more feed than allowed.
bool PrintTextBand(printer::CPrinterLink& link, std::string_view text, int verticalAllowance,
                   std::uint32_t horizontalPosition);

}  // namespace encoder
