#pragma once
// Run-length compression of raster rows, straight into the job buffer, and the helpers that turn
// bit texts and 1-bit images into 2-bit rows. A header 00 to 7F is followed by header + 1 literal
// bytes; a header 80 to FF by one byte repeated 257 - header times.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace printer {
class CPrinterLink;
}

namespace encoder {

// The most bytes a row of n bytes compresses to: a lone byte between pairs costs two bytes for
// every three.
constexpr std::size_t MaxCompressedSize(std::size_t n) { return n + (n + 2) / 3 + 2; }

// Compresses n bytes of row into out (at least MaxCompressedSize(n) bytes); returns the bytes
// written. It uses SSE2 where the processor has it (every x86-64), else the portable compressor;
// both write the same bytes for every row.
std::size_t CompressRow(const std::uint8_t* row, std::size_t n, std::uint8_t* out);
std::size_t CompressRowPortable(const std::uint8_t* row, std::size_t n, std::uint8_t* out);
#if defined(__SSE2__)
std::size_t CompressRowSse2(const std::uint8_t* row, std::size_t n, std::uint8_t* out);
#endif

// Appends the compressed row to the job; false (LastError -930) when it does not fit.
bool AppendCompressed(printer::CPrinterLink& link, const std::uint8_t* row, std::size_t length);

// Widens each source byte into two: a set bit becomes the dot 11, a clear bit 00, highest first.
void ExpandTo2Bit(const std::uint8_t* source, std::uint8_t* target, std::size_t length);

// Appends one row built from a text of '0' and '1' (any other character sets its bit), repeated.
bool AppendBitPattern(printer::CPrinterLink& link, std::string_view bits, int repeat);

}  // namespace encoder
