#include "encoder/compression.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "printer/printer_link.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace encoder {
namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;
constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
constexpr std::size_t kMaxLiteral = 128;
constexpr std::size_t kMaxRun = 129;

std::uint64_t Load(const std::uint8_t* p) {
  std::uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// The index of the lowest zero byte of x, or 8. Exact: a byte is reported zero only when it is.
int FirstZeroByte(std::uint64_t x) {
  const std::uint64_t zero = ~(((x & ~kHighs) + ~kHighs) | x | ~kHighs);
  return zero == 0 ? 8 : std::countr_zero(zero) / 8;
}

// How many bytes after position i equal row[i], when all before j do: the last few, a byte a time.
std::size_t RunBytewise(const std::uint8_t* row, std::size_t i, std::size_t j, std::size_t n) {
  while (j < n && row[j] == row[i]) ++j;
  return j - i - 1;
}

// The scans the compressor repeats, eight bytes a step in plain 64-bit words. The SSE2 scans
// below do the same sixteen bytes a step; both answer exactly alike.
struct WordScans {
  // How many bytes after position i equal row[i].
  static std::size_t RunAfter(const std::uint8_t* row, std::size_t i, std::size_t n) {
    const std::uint64_t pattern = row[i] * kOnes;
    std::size_t j = i + 1;
    // Long runs go 32 bytes a step; the step that finds a difference is looked at 8 bytes a time.
    while (j + 32 <= n && ((Load(row + j) ^ pattern) | (Load(row + j + 8) ^ pattern) |
                           (Load(row + j + 16) ^ pattern) | (Load(row + j + 24) ^ pattern)) == 0) {
      j += 32;
    }
    while (j + 8 <= n) {
      const std::uint64_t diff = Load(row + j) ^ pattern;
      if (diff != 0) return j + static_cast<std::size_t>(std::countr_zero(diff) / 8) - i - 1;
      j += 8;
    }
    return RunBytewise(row, i, j, n);
  }

  // The first j in [from, limit) with row[j] == row[j + 1], or limit; needs limit < n.
  static std::size_t NextPair(const std::uint8_t* row, std::size_t from, std::size_t limit,
                              std::size_t n) {
    std::size_t j = from;
    while (j + 9 <= n && j + 8 <= limit) {
      const int k = FirstZeroByte(Load(row + j) ^ Load(row + j + 1));
      if (k < 8) return j + static_cast<std::size_t>(k);
      j += 8;
    }
    while (j < limit && row[j] != row[j + 1]) ++j;
    return j;
  }

  // Rows of pairs (AABBCCDD...): eight bytes written as FF A FF B FF C FF D, as long as the
  // eight bytes at i are four exact pairs (each unlike the next byte). Returns the bytes taken.
  static std::size_t Pairs(const std::uint8_t* row, std::size_t i, std::size_t n,
                           std::uint8_t* out) {
    std::size_t taken = 0;
    while (i + taken + 9 <= n) {
      const std::uint64_t word = Load(row + i + taken);
      const std::uint64_t next = word ^ Load(row + i + taken + 1);  // byte k: row[k] ^ row[k+1]
      if ((next & kEvenBytes) != 0 || FirstZeroByte(next | kEvenBytes) != 8) break;
      const std::uint64_t packed = ((word & kEvenBytes) << 8) | kEvenBytes;
      std::memcpy(out + taken, &packed, sizeof packed);
      taken += 8;
    }
    return taken;
  }
};

#if defined(__SSE2__)
struct Sse2Scans {
  static __m128i Load16(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }
  // Bit k set where byte k of a equals byte k of b.
  static unsigned Equal(__m128i a, __m128i b) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)));
  }

  static std::size_t RunAfter(const std::uint8_t* row, std::size_t i, std::size_t n) {
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(row[i]));
    std::size_t j = i + 1;
    // 64 bytes a step while all of them match, then 16 a step to find the first that does not.
    while (j + 64 <= n) {
      const __m128i differ =
          _mm_or_si128(_mm_or_si128(_mm_xor_si128(Load16(row + j), pattern),
                                    _mm_xor_si128(Load16(row + j + 16), pattern)),
                       _mm_or_si128(_mm_xor_si128(Load16(row + j + 32), pattern),
                                    _mm_xor_si128(Load16(row + j + 48), pattern)));
      if (Equal(differ, _mm_setzero_si128()) != 0xFFFF) break;
      j += 64;
    }
    while (j + 16 <= n) {
      const unsigned same = Equal(Load16(row + j), pattern);
      if (same != 0xFFFF) return j + static_cast<std::size_t>(std::countr_one(same)) - i - 1;
      j += 16;
    }
    return RunBytewise(row, i, j, n);
  }

  static std::size_t NextPair(const std::uint8_t* row, std::size_t from, std::size_t limit,
                              std::size_t n) {
    std::size_t j = from;
    while (j + 33 <= n && j + 32 <= limit) {
      const unsigned pairs = Equal(Load16(row + j), Load16(row + j + 1)) |
                             Equal(Load16(row + j + 16), Load16(row + j + 17)) << 16;
      if (pairs != 0) return j + static_cast<std::size_t>(std::countr_zero(pairs));
      j += 32;
    }
    return WordScans::NextPair(row, j, limit, n);
  }

  // Sixteen bytes of exact pairs a step, the low byte of each 16-bit lane made FF, then eight.
  static std::size_t Pairs(const std::uint8_t* row, std::size_t i, std::size_t n,
                           std::uint8_t* out) {
    std::size_t taken = 0;
    while (i + taken + 17 <= n) {
      const __m128i bytes = Load16(row + i + taken);
      if (Equal(bytes, Load16(row + i + taken + 1)) != 0x5555) break;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + taken),
                       _mm_or_si128(bytes, _mm_set1_epi16(0x00FF)));
      taken += 16;
    }
    return taken + WordScans::Pairs(row, i + taken, n, out + taken);
  }
};
#endif

template <class Scans>
std::size_t Compress(const std::uint8_t* __restrict row, std::size_t n,
                     std::uint8_t* __restrict out) {
  std::uint8_t* const start = out;
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t value = row[i];
    if (i == n - 1) {  // a last lone byte is a literal of one
      out[0] = 0x00;
      out[1] = value;
      out += 2;
      break;
    }
    // Short runs are common in patterns: two or three equal bytes need no wide scan. Plain
    // branches, not selects, so that the next position never waits on these loads.
    if (row[i + 1] == value) {
      if (i + 2 == n || row[i + 2] != value) {
        if (const std::size_t taken = Scans::Pairs(row, i, n, out); taken != 0) {
          out += taken;
          i += taken;
          continue;
        }
        out[0] = 0xFF;
        out[1] = value;
        out += 2;
        i += 2;
        continue;
      }
      if (i + 3 == n || row[i + 3] != value) {
        out[0] = 0xFE;
        out[1] = value;
        out += 2;
        i += 3;
        continue;
      }
    }
    if (row[i + 1] == value) {
      // d + 1 equal bytes: whole pairs of 129 copies, then the rest.
      const std::size_t d = Scans::RunAfter(row, i, n);
      const std::size_t whole = d / kMaxRun;
      for (std::size_t k = 0; k < whole; ++k) {
        *out++ = 0x80;
        *out++ = row[i];
      }
      *out++ = static_cast<std::uint8_t>(0u - d - 127u * whole);
      *out++ = row[i];
      i += d + 1;
      continue;
    }
    // A literal from i: it ends before the next pair, at 128 bytes, or with the row's last byte
    // (the 128-byte bound is tested first, so a header never reads as a repeat).
    const std::size_t bound = std::min(i + kMaxLiteral, n - 1);
    std::size_t end = Scans::NextPair(row, i + 1, bound, n);
    if (end == n - 1 && end - i < kMaxLiteral) end = n;  // the last byte joins the literal
    const std::size_t count = end - i;
    *out++ = static_cast<std::uint8_t>(count - 1);
    std::memcpy(out, row + i, count);
    out += count;
    i = end;
  }
  return static_cast<std::size_t>(out - start);
}

}  // namespace

std::size_t CompressRowPortable(const std::uint8_t* row, std::size_t n, std::uint8_t* out) {
  return Compress<WordScans>(row, n, out);
}

#if defined(__SSE2__)
std::size_t CompressRowSse2(const std::uint8_t* row, std::size_t n, std::uint8_t* out) {
  return Compress<Sse2Scans>(row, n, out);
}
#endif

std::size_t CompressRow(const std::uint8_t* row, std::size_t n, std::uint8_t* out) {
#if defined(__SSE2__)
  const std::size_t written = CompressRowSse2(row, n, out);
#if defined(GRELT_CHECK_COMPRESSION)
  // Checking builds hold every row against the portable compressor.
  std::vector<std::uint8_t> portable(MaxCompressedSize(n));
  if (CompressRowPortable(row, n, portable.data()) != written ||
      !std::equal(out, out + written, portable.begin())) {
    std::fprintf(stderr, "The SSE2 and the portable compressor differ on a row of %zu bytes.\n", n);
    std::abort();
  }
#endif
  return written;
#else
  return CompressRowPortable(row, n, out);
#endif
}

bool AppendCompressed(printer::CPrinterLink& link, const std::uint8_t* row, std::size_t length) {
  std::uint8_t* out = link.ReserveJob(MaxCompressedSize(length));
  if (out == nullptr) return false;
  link.CommitJob(CompressRow(row, length, out));
  return true;
}

void ExpandTo2Bit(const std::uint8_t* source, std::uint8_t* target, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    for (int bit = 0; bit < 4; ++bit) {
      if ((source[i] & (0x80 >> bit)) != 0) high |= static_cast<std::uint8_t>(0xC0 >> (2 * bit));
      if ((source[i] & (0x08 >> bit)) != 0) low |= static_cast<std::uint8_t>(0xC0 >> (2 * bit));
    }
    target[2 * i] = high;
    target[2 * i + 1] = low;
  }
}

namespace {

// Eight bit characters as one byte, the first character in the highest bit; any character
// other than '0' sets its bit.
std::uint8_t PackBits(const char* text) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint64_t chars;
    std::memcpy(&chars, text, sizeof chars);
    const std::uint64_t x = chars ^ 0x3030303030303030u;  // '0' becomes 0
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    const std::uint64_t nonzero = (((x & kLow7) + kLow7) | x) & ~kLow7;
    // Gathers the high bit of byte i into bit 7 - i of the top byte.
    return static_cast<std::uint8_t>(((nonzero >> 7) * 0x8040201008040201u) >> 56);
  }
  std::uint8_t byte = 0;
  for (int i = 0; i < 8; ++i) {
    if (text[i] != '0') byte |= static_cast<std::uint8_t>(0x80 >> i);
  }
  return byte;
}

// The compressed row of a bit pattern repeated. Sheets append the same few pieces hundreds of
// thousands of times, so each is kept, compressed, in a slot chosen by its first characters, its
// length and its repeat count, and handed out again as it stands; a new one is built by doubling
// the part of the row already written.
constexpr std::size_t kKeptRowBytes = 64u << 10;

const std::vector<std::uint8_t>& CompressedPattern(std::string_view bits, int repeat) {
  struct Piece {
    std::uint64_t key = 0;
    int repeat = -1;
    std::string bits;
    std::vector<std::uint8_t> compressed;
  };
  thread_local std::array<Piece, 64> kept;
  thread_local std::vector<std::uint8_t> row;
  std::uint64_t prefix = 0;
  std::memcpy(&prefix, bits.data(), std::min<std::size_t>(bits.size(), sizeof prefix));
  const std::uint64_t key = (prefix * 0x9E3779B97F4A7C15u) ^
                            (static_cast<std::uint64_t>(repeat) * 0xC2B2AE3D27D4EB4Fu) ^
                            (bits.size() * 0x165667B19E3779F9u);
  Piece& piece = kept[key >> 58];
  if (piece.key == key && piece.repeat == repeat && piece.bits == bits) return piece.compressed;
  const std::size_t width = bits.size() / 8;
  row.assign(width * static_cast<std::size_t>(repeat), 0);
  for (std::size_t b = 0; b < width; ++b) row[b] = PackBits(bits.data() + 8 * b);
  for (std::size_t filled = width; filled < row.size();) {
    const std::size_t more = std::min(filled, row.size() - filled);
    std::copy_n(row.begin(), more, row.begin() + static_cast<std::ptrdiff_t>(filled));
    filled += more;
  }
  // A long row is compressed anew each time rather than held: the slots stay small.
  thread_local std::vector<std::uint8_t> once;
  std::vector<std::uint8_t>& compressed = row.size() > kKeptRowBytes ? once : piece.compressed;
  compressed.resize(MaxCompressedSize(row.size()));
  compressed.resize(CompressRow(row.data(), row.size(), compressed.data()));
  if (&compressed == &once) return once;
  piece.key = key;
  piece.repeat = repeat;
  piece.bits.assign(bits);
  return piece.compressed;
}

}  // namespace

bool AppendBitPattern(printer::CPrinterLink& link, std::string_view bits, int repeat) {
  ui::UiServices& ui = link.Environment().ui;
  if (bits.size() % 8 != 0) {
    ui.MessageBox("ラスターイメージが不正です。\n8で割り切れません。", ui::kApplicationTitle,
                  ui::kOk);
    return false;
  }
  if (repeat == 0) return true;
  if (repeat < 0) {
    ui.MessageBox("繰り返し回数が不正です。\n0未満は存在しません", ui::kApplicationTitle, ui::kOk);
    return false;
  }
  const std::size_t width = bits.size() / 8;
  // Refused before anything is allocated: a row longer than the whole job cannot be sent.
  if (width * static_cast<std::size_t>(repeat) > printer::CPrinterLink::kJobBufferSize) {
    ui.MessageBox("A raster row of " + std::to_string(width * static_cast<std::size_t>(repeat)) +
                      " bytes does not fit in the job buffer of " +
                      std::to_string(printer::CPrinterLink::kJobBufferSize) + " bytes.",
                  ui::kApplicationTitle, ui::kOk);
    link.SetLastError(printer::kJobBufferFull);
    return false;
  }
  const std::vector<std::uint8_t>& piece = CompressedPattern(bits, repeat);
  std::uint8_t* out = link.ReserveJob(piece.size());
  if (out == nullptr) return false;
  std::memcpy(out, piece.data(), piece.size());
  link.CommitJob(piece.size());
  return true;
}

}  // namespace encoder
