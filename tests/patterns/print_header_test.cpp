// The information header and the machine-number barcode, read back from the job as a printer
// would read it.

#include "patterns/print_header.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>

#include "encoder/raster_commands.h"
#include "patterns/pattern_test_support.h"

namespace {

using HeaderTest = testing_support::PatternFixture;

// Reads a barcode row: four dots a byte, 0xFF a bar byte, 0x00 a space byte; elements of one
// byte are narrow, of three bytes wide; nine elements and a narrow gap a character.
std::string ReadBarcode(const vprinter::Bytes& row) {
  std::string digits;
  for (std::size_t i = 0; i < row.size();) {
    std::size_t j = i;
    while (j < row.size() && row[j] == row[i]) ++j;
    const bool bar = row[i] == 0xFF;
    for (std::size_t run = j - i; run > 0;) {
      // A long run of spaces is a wide space or a narrow gap beside a wide/narrow space.
      if (run >= 3 && digits.size() % 10 != 9) {
        digits += bar ? '2' : '3';
        run -= 3;
      } else {
        digits += bar ? '0' : '1';
        run -= 1;
      }
    }
    i = j;
  }
  std::string text;
  for (std::size_t at = 0; at + 9 <= digits.size(); at += 10) {
    const std::string element = digits.substr(at, 9);
    char found = '?';
    for (const auto& entry : patterns::Code39Table()) {
      if (entry.elements == element) found = entry.character;
    }
    text += found;
  }
  return text;
}

TEST(Code39, TheTableFollowsTheStandard) {
  const auto table = patterns::Code39Table();
  ASSERT_EQ(table.size(), 44u);
  std::string characters;
  std::set<std::string_view> patterns;
  for (const auto& entry : table) {
    characters += entry.character;
    ASSERT_EQ(entry.elements.size(), 9u) << entry.character;
    int wide = 0;
    for (std::size_t k = 0; k < 9; ++k) {
      const char d = entry.elements[k];
      EXPECT_EQ(k % 2 == 0, d == '0' || d == '2') << entry.character;  // bars and spaces alternate
      wide += d == '2' || d == '3' ? 1 : 0;
    }
    EXPECT_EQ(wide, 3) << entry.character;  // three wide elements of nine
    patterns.insert(entry.elements);
  }
  EXPECT_EQ(patterns.size(), 44u);
  EXPECT_EQ(characters, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789*-. $/+%");
  EXPECT_EQ(table[0].elements, "210103012");
  EXPECT_EQ(table[26].elements, "010321210");
  EXPECT_EQ(table[36].elements, "030121210");
  EXPECT_EQ(table[43].elements, "010303030");
}

TEST_F(HeaderTest, AnEmptyMachineNumberPrintsTheStartAndStopCharacters) {
  EXPECT_EQ(patterns::Code39Bits("").size(), 248u);
  ASSERT_TRUE(patterns::PrintMachineNoBarcode(*link, ""));
  const std::string hex = TakeHex();
  EXPECT_EQ(hex.substr(0, 53),
            "1B 28 24 04 00 E6 31 00 00 1B 69 82 01 02 1F 00 5A 00");  // 12774, 31 bytes, 90 lines
}

TEST_F(HeaderTest, TheBarcodeReadsBackAsItsText) {
  ASSERT_TRUE(patterns::PrintMachineNoBarcode(*link, "X7Q-0042 $/+%."));
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].rows.size(), 90u);
  EXPECT_EQ(blocks[0].colour, 0x82);
  for (const auto& row : blocks[0].rows) EXPECT_EQ(row, blocks[0].rows[0]);
  EXPECT_EQ(ReadBarcode(blocks[0].rows[0]), "*X7Q-0042 $/+%.*");
}

TEST_F(HeaderTest, AnUnknownCharacterAppendsNothing) {
  EXPECT_FALSE(patterns::PrintMachineNoBarcode(*link, "ab12"));
  EXPECT_EQ(TakeHex(), "");
  EXPECT_EQ(ui.Calls().back().text, "ERROR : M/C No. Unidentified character.");
}

TEST_F(HeaderTest, TheHeaderHasItsFourLines) {
  setenv("TZ", "UTC", 1);
  tzset();
  patterns::PrintHeaderInfo info;
  info.FirmwareVersion = "MW06B1";
  info.BlackInkKind = "Matte Black";
  info.SerialNo = "AB12345678";
  EXPECT_EQ(patterns::InfoHeaderText(info, "1.00", 1796681400),  // 2026-12-07 22:10 UTC
            "Service Program Ver. :  1.00,    F/W version  :  MW06B1\r\n"
            "Black Ink Kind  :  Matte Black\r\n"
            "Serial No.  :  AB12345678\r\n"
            "Printed Date    : 2026/12/07 22:10\r\n");
  encoder::TXSetInfo(*link, 2, 0);
  ASSERT_TRUE(patterns::PrintInfoHeader(*link, info, "1.00", 0, 24718));
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].rows.size(), 240u);  // four lines of 60 rows
  EXPECT_EQ(blocks[0].bytesPerLine, 1512);
}

}  // namespace
