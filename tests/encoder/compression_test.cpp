// Run-length compression: the golden vectors, the worst case, and the round trip through the
// virtual printer's decoder, with the SSE2 and the portable compressor alike.

#include "encoder/compression.h"

#include <gtest/gtest.h>

#include <random>

#include "encoder/encoder_test_support.h"
#include "encoder/raster_commands.h"
#include "vprinter/command_parser.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The row compressed as the program compresses it; the portable compressor must write the same.
Bytes Compress(const Bytes& row) {
  Bytes out(encoder::MaxCompressedSize(row.size()));
  out.resize(encoder::CompressRow(row.data(), row.size(), out.data()));
  Bytes portable(encoder::MaxCompressedSize(row.size()));
  portable.resize(encoder::CompressRowPortable(row.data(), row.size(), portable.data()));
  EXPECT_EQ(out, portable);
  return out;
}

// The algorithm exactly as the byte-at-a-time description reads, to check the fast one against.
Bytes Reference(const Bytes& b) {
  Bytes out;
  const std::size_t n = b.size();
  std::size_t i = 0;
  while (i < n) {
    if (i == n - 1) {
      out.push_back(0);
      out.push_back(b[i]);
      break;
    }
    std::size_t d = 0;
    while (i + d + 1 < n && b[i + d + 1] == b[i]) ++d;
    if (d > 0) {
      const std::size_t whole = d / 129;
      for (std::size_t k = 0; k < whole; ++k) {
        out.push_back(0x80);
        out.push_back(b[i]);
      }
      out.push_back(static_cast<std::uint8_t>(0u - d - 127u * whole));
      out.push_back(b[i]);
      i += d + 1;
      continue;
    }
    std::size_t j = i + 1;
    for (;;) {
      if (j - i == 128) break;
      if (j == n - 1) {
        ++j;
        break;
      }
      if (b[j] == b[j + 1]) break;
      ++j;
    }
    out.push_back(static_cast<std::uint8_t>(j - i - 1));
    out.insert(out.end(), b.begin() + static_cast<std::ptrdiff_t>(i),
               b.begin() + static_cast<std::ptrdiff_t>(j));
    i = j;
  }
  return out;
}

Bytes Decode(const Bytes& compressed, std::size_t length) {
  Bytes row;
  bool damaged = false;
  if (length == 0) return row;
  const std::size_t used = vprinter::CommandParser::DecodeRow(compressed.data(), compressed.size(),
                                                              length, row, &damaged);
  EXPECT_EQ(used, compressed.size());
  EXPECT_FALSE(damaged);
  return row;
}

TEST(Compression, GoldenVectors) {
  EXPECT_EQ(Compress(Bytes(300, 0xB5)), (Bytes{0x80, 0xB5, 0x80, 0xB5, 0xD7, 0xB5}));
  EXPECT_EQ(Compress(Bytes{0x42}), (Bytes{0x00, 0x42}));
  EXPECT_EQ(Compress(Bytes{0x01, 0x02, 0x02}), (Bytes{0x00, 0x01, 0xFF, 0x02}));
  EXPECT_EQ(Compress(Bytes(129, 7)), (Bytes{0x80, 7}));
  EXPECT_EQ(Compress(Bytes(130, 7)), (Bytes{0x80, 7, 0x00, 7}));  // one left over: a literal of one
  EXPECT_EQ(Compress(Bytes{}), Bytes{});
  // 128 distinct bytes and more distinct bytes: a full literal, then a further one.
  Bytes distinct;
  for (int i = 0; i < 200; ++i) distinct.push_back(static_cast<std::uint8_t>(i));
  const Bytes packed = Compress(distinct);
  EXPECT_EQ(packed[0], 0x7F);
  EXPECT_EQ(packed[129], 71);  // the other 72 bytes
  EXPECT_EQ(packed.size(), 1u + 128 + 1 + 72);
}

TEST(Compression, AFullLiteralBeforeTheLastByteKeepsItsBound) {
  // 128 distinct bytes, then the row's last byte: without the bound first, the literal would
  // take 129 bytes and its header 80 would read as a repeat.
  Bytes row;
  for (int i = 0; i < 129; ++i) row.push_back(static_cast<std::uint8_t>(i));
  const Bytes packed = Compress(row);
  EXPECT_EQ(packed[0], 0x7F);
  EXPECT_EQ(Bytes(packed.end() - 2, packed.end()), (Bytes{0x00, 128}));
  EXPECT_EQ(Decode(packed, row.size()), row);
}

TEST(Compression, MatchesTheAlgorithmAndNeverExceedsAThirdMoreOnEveryShortRow) {
  // Every row of up to 10 bytes over the alphabet {0, 1, 2}.
  for (std::size_t n = 1; n <= 10; ++n) {
    std::size_t worst = 0;
    Bytes row(n, 0);
    for (;;) {
      const Bytes packed = Compress(row);
      ASSERT_EQ(packed, Reference(row));
      ASSERT_EQ(Decode(packed, n), row);
      worst = std::max(worst, packed.size());
      std::size_t k = 0;
      while (k < n && ++row[k] == 3) row[k++] = 0;
      if (k == n) break;
    }
    EXPECT_EQ(worst, n + (n + 2) / 3)
        << n;  // n + ceil(n / 3), reached by a lone byte between pairs
  }
}

TEST(Compression, LongRandomRowsRoundTrip) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t n = random() % 3001;
    Bytes row(n);
    const int style = round % 5;
    for (std::size_t i = 0; i < n; ++i) {
      switch (style) {
        case 0: row[i] = static_cast<std::uint8_t>(random()); break;  // noise
        case 1: row[i] = random() % 40 == 0 ? 0xC0 : 0x00; break;     // pattern rows
        case 2:
          row[i] = static_cast<std::uint8_t>((i / (1 + random() % 3)) % 3);
          break;                                                          // short runs
        case 3: row[i] = static_cast<std::uint8_t>(random() % 2); break;  // pairs and singles
        default:  // rows of exact pairs, now and then broken, as wide scans meet them
          row[i] =
              i % 2 == 1 ? row[i - 1] : static_cast<std::uint8_t>(i / 2 % 2 + (random() % 50 == 0));
          break;
      }
    }
    const Bytes packed = Compress(row);
    ASSERT_LE(packed.size(), n + (n + 2) / 3);
    ASSERT_EQ(packed, Reference(row)) << round;
    ASSERT_EQ(Decode(packed, n), row) << round;
  }
}

class Helpers : public ::testing::Test, public testing_support::EncoderFixture {};

TEST_F(Helpers, BitPatternsAndTwoBitRows) {
  ASSERT_TRUE(encoder::AppendBitPattern(*link, "10000001", 2));
  EXPECT_EQ(TakeHex(), "FF 81");
  EXPECT_TRUE(encoder::AppendBitPattern(*link, "10000001", 0));
  EXPECT_EQ(TakeHex(), "");
  EXPECT_TRUE(encoder::AppendBitPattern(*link, "1x0000a1", 1));  // any character but '0' sets a bit
  EXPECT_EQ(TakeHex(), "00 C3");
  EXPECT_FALSE(encoder::AppendBitPattern(*link, "1000000", 1));
  EXPECT_FALSE(encoder::AppendBitPattern(*link, "10000000", -1));
  ASSERT_EQ(ui.Calls().size(), 2u);
  EXPECT_EQ(ui.Calls()[0].text, "ラスターイメージが不正です。\n8で割り切れません。");
  EXPECT_EQ(ui.Calls()[1].text, "繰り返し回数が不正です。\n0未満は存在しません");

  const std::uint8_t source[2] = {0xA5, 0x0F};
  std::uint8_t target[4];
  encoder::ExpandTo2Bit(source, target, 2);
  EXPECT_EQ(Bytes(target, target + 4), (Bytes{0xCC, 0x33, 0x00, 0xFF}));
}

// Pieces that begin alike, are as long and repeat as often are still told apart by all they say,
// however often each comes again, and a row too long to keep comes out the same every time.
TEST_F(Helpers, RepeatedPiecesComeOutAsTheirOwnBits) {
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(encoder::AppendBitPattern(*link, "1000000011111111", 3));
    EXPECT_EQ(TakeHex(), "05 80 FF 80 FF 80 FF");
    ASSERT_TRUE(encoder::AppendBitPattern(*link, "1000000000000000", 3));
    EXPECT_EQ(TakeHex(), "05 80 00 80 00 80 00");
  }
  std::string first;
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(encoder::AppendBitPattern(*link, "11111111", 70000));
    const std::string hex = TakeHex();
    EXPECT_EQ(hex.substr(0, 6), "80 FF ");  // runs of 129
    if (round == 0) first = hex;
    EXPECT_EQ(hex, first);
  }
}

TEST_F(Helpers, CompressionRefusesToOverflowTheJob) {
  const Bytes filler(printer::CPrinterLink::kJobBufferSize - 100, 0);
  ASSERT_TRUE(link->AppendJob(filler.data(), filler.size()));
  const Bytes row(200, 1);
  EXPECT_FALSE(
      encoder::AppendCompressed(*link, row.data(), row.size()));  // worst case does not fit
  EXPECT_EQ(link->LastError(), -930);
  EXPECT_EQ(link->JobLength(), filler.size());
}

TEST_F(Helpers, SevenTextLinesPrintSixThenOne) {
  encoder::TXSetInfo(*link, 2, 0);
  std::string text;
  for (int i = 1; i <= 7; ++i) text += "Line " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(encoder::PrintTextBand(*link, text, 2880 + 480, 100));
  // Two raster headers: 6 lines (360 rows), then 1 line (60 rows); a feed of 2880 between them,
  // and what is left of the allowance at the end.
  const std::string hex = TakeHex();
  EXPECT_NE(hex.find("1B 69 00 01 02 E8 05 68 01"), std::string::npos);
  EXPECT_NE(hex.find("1B 69 00 01 02 E8 05 3C 00"), std::string::npos);
  EXPECT_NE(hex.find("1B 28 76 04 00 40 0B 00 00 0D"), std::string::npos);
  EXPECT_EQ(hex.substr(hex.size() - 29), "1B 28 76 04 00 E0 01 00 00 0D");
  EXPECT_FALSE(encoder::PrintTextBand(*link, text, 1000, 0));
  EXPECT_EQ(link->LastError(), -941);
  TakeHex();
  // Type 1 announces the raster only.
  encoder::TXSetInfo(*link, 1, 0);
  ASSERT_TRUE(encoder::PrintTextBand(*link, "A\r\n", 0, 0));
  EXPECT_EQ(TakeHex(),
            "1B 28 24 04 00 00 00 00 00 1B 69 00 01 02 E8 05 3C 00 1B 28 76 04 00 00 00 00 00 0D");
  encoder::TXSetInfo(*link, 2, 0);
}

}  // namespace
