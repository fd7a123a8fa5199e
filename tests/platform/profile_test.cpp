#include "platform/profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "support/temp_folder.h"

using platform::GetPrivateProfileSectionNames;
using platform::GetPrivateProfileString;
using platform::ProfileFile;

namespace {

std::string Get(const ProfileFile& file, std::string_view section, std::string_view key,
                std::string_view def = "DEF", std::uint32_t size = 256) {
  std::vector<char> buffer(size + 1, 'X');
  file.GetString(section, key, def, buffer.data(), size);
  return buffer.data();
}

std::vector<std::string> Names(const char* buffer) {
  std::vector<std::string> names;
  for (const char* p = buffer; *p != '\0'; p += names.back().size() + 1) names.emplace_back(p);
  return names;
}

TEST(Profile, NamesAreCaseBlindAndTheFirstMatchWins) {
  const ProfileFile file = ProfileFile::Parse(
      "[Profile]\nstrProfile=first\nSTRPROFILE=second\n"
      "[profile]\nstrProfile=other section\nnPrinters=2\n");
  EXPECT_EQ(Get(file, "PROFILE", "strprofile"), "first");
  // A later section of the same name is never searched.
  EXPECT_EQ(Get(file, "Profile", "nPrinters"), "DEF");
}

TEST(Profile, LayoutIsForgiving) {
  const ProfileFile file = ProfileFile::Parse(
      "\xEF\xBB\xBF[ Main ]  trailing words\r\n"
      "; Title=commented out\r\n"
      "   Title   =   Service Program   \r\n"
      "Quoted=\"  kept blanks  \"\r\n"
      "HalfQuoted=\"open\r\n"
      "Empty=\r\n"
      "no equals sign here\r\n"
      "=no key\r\n"
      "Last=no final newline");
  EXPECT_EQ(Get(file, "Main", "Title"), "Service Program");
  EXPECT_EQ(Get(file, "Main", "Quoted"), "  kept blanks  ");
  EXPECT_EQ(Get(file, "Main", "HalfQuoted"), "\"open");
  EXPECT_EQ(Get(file, "Main", "Empty"), "");  // present but empty is not absent
  EXPECT_EQ(Get(file, "Main", "Last"), "no final newline");
  EXPECT_EQ(Get(file, "Main", "no equals sign here"), "DEF");
}

TEST(Profile, KeysBeforeAnySectionBelongToNone) {
  const ProfileFile file = ProfileFile::Parse("Orphan=1\n[A]\nKey=2\n");
  EXPECT_EQ(Get(file, "", "Orphan"), "DEF");
  EXPECT_EQ(Get(file, "A", "Key"), "2");
}

TEST(Profile, ValuesAndDefaultsAreCutToTheBuffer) {
  const ProfileFile file = ProfileFile::Parse("[S]\nKey=abcdefghij\n");
  char buffer[5] = {'X', 'X', 'X', 'X', 'X'};
  EXPECT_EQ(file.GetString("S", "Key", "", buffer, 5), 4u);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(file.GetString("S", "Missing", "12345678", buffer, 5), 4u);
  EXPECT_STREQ(buffer, "1234");
  // Trailing blanks of a default are dropped, as the platform does.
  EXPECT_EQ(Get(file, "S", "Missing", "dflt  "), "dflt");
  char one = 'X';
  EXPECT_EQ(file.GetString("S", "Key", "", &one, 1), 0u);
  EXPECT_EQ(one, '\0');
  EXPECT_EQ(file.GetString("S", "Key", "", nullptr, 0), 0u);
}

TEST(Profile, SectionNamesUseTheDoubleNulList) {
  const ProfileFile file = ProfileFile::Parse("[One]\n[Two]\nA=1\n[Three]\n");
  char buffer[64];
  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(file.GetSectionNames(buffer, sizeof buffer), 14u);  // "One\0Two\0Three\0"
  EXPECT_EQ(Names(buffer), (std::vector<std::string>{"One", "Two", "Three"}));
  EXPECT_EQ(buffer[14], '\0');
}

TEST(Profile, SectionNamesThatDoNotFitAreCutWithTwoNuls) {
  const ProfileFile file = ProfileFile::Parse("[One]\n[Two]\n[Three]\n");
  // Exactly enough room for the whole list: no cut.
  char exact[15];
  EXPECT_EQ(file.GetSectionNames(exact, sizeof exact), 14u);
  // One byte short: the last name is cut and the list still ends in two NULs.
  for (std::uint32_t size : {14u, 10u, 9u, 8u, 5u, 2u}) {
    std::vector<char> buffer(size + 4, 'X');
    EXPECT_EQ(file.GetSectionNames(buffer.data(), size), size - 2) << size;
    EXPECT_EQ(buffer[size - 2], '\0') << size;
    EXPECT_EQ(buffer[size - 1], '\0') << size;
    EXPECT_EQ(buffer[size], 'X') << "wrote past the buffer with size " << size;
  }
  char tiny = 'X';
  EXPECT_EQ(file.GetSectionNames(&tiny, 1), 0u);
  EXPECT_EQ(tiny, '\0');
}

TEST(Profile, MissingFileReadsAsFileWithoutKeys) {
  testing_support::TempFolder folder;
  char buffer[16];
  EXPECT_EQ(
      GetPrivateProfileString("S", "K", "fallback", buffer, sizeof buffer, folder / "none.ini"),
      8u);
  EXPECT_STREQ(buffer, "fallback");
  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(GetPrivateProfileSectionNames(buffer, sizeof buffer, folder / "none.ini"), 0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], '\0');
  EXPECT_FALSE(ProfileFile::Load(folder / "none.ini").Readable());
  // A folder where a file is expected is not a file.
  EXPECT_FALSE(ProfileFile::Load(folder.Path()).Readable());
}

TEST(Profile, FileNamesFallBackToACaseBlindMatch) {
  testing_support::TempFolder folder;
  folder.Write("Parameter/TR-M7000/English.mnu", "[FONT]\nnHeight=12\n");
  char buffer[16];
  GetPrivateProfileString("FONT", "nHeight", "", buffer, sizeof buffer,
                          folder / "parameter/tr-m7000/ENGLISH.MNU");
  EXPECT_STREQ(buffer, "12");
}

TEST(Profile, BinaryGarbageAndHugeFilesNeitherCrashNorOverrun) {
  std::string garbage;
  for (int i = 0; i < 200'000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  garbage += "\n[S]\nKey=after garbage\n";
  const ProfileFile file = ProfileFile::Parse(garbage);
  EXPECT_EQ(Get(file, "S", "Key"), "after garbage");

  std::string huge = "[Big]\nKey=" + std::string(3 << 20, 'v') + "\n";
  for (int i = 0; i < 20'000; ++i)
    huge += "[Sec" + std::to_string(i) + "]\nK=" + std::to_string(i) + "\n";
  const ProfileFile big = ProfileFile::Parse(huge);
  EXPECT_EQ(Get(big, "Big", "Key", "", 2048).size(), 2047u);
  EXPECT_EQ(Get(big, "Sec19999", "K"), "19999");
  char names[1600];
  EXPECT_EQ(big.GetSectionNames(names, sizeof names), 1598u);
}

// The bytes of a file in UTF-16 with its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

// "Größe" as each encoding a technician's file may come in.
TEST(Profile, FilesFromWindowsReadTheSameInEveryEncoding) {
  const std::string utf8 = "[Menu]\nTitle=Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC\n";
  const std::vector<std::string> files = {
      utf8,
      "\xEF\xBB\xBF" + utf8,
      "[Menu]\nTitle=Gr\xF6\xDF" "e \x80\n",  // Windows-1252
      Utf16(u"[Menu]\nTitle=Gr\u00F6\u00DFe \u20AC\n", false),
      Utf16(u"[Menu]\nTitle=Gr\u00F6\u00DFe \u20AC\n", true),
  };
  for (const std::string& bytes : files) {
    EXPECT_EQ(Get(ProfileFile::Parse(bytes), "menu", "title"), "Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC")
        << ::testing::PrintToString(bytes);
  }
}

TEST(Profile, DecodedTextIsAlwaysValidUtf8) {
  using platform::DecodeFileText;
  using platform::IsValidUtf8;
  // Overlong forms, surrogates, code points past U+10FFFF and cut sequences are not UTF-8: the
  // whole file is then read as Windows-1252, including its undefined bytes.
  for (const char* bytes : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ok \xE2\x82",
                            "\x81\x8D\x8F\x90\x9D", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_FALSE(IsValidUtf8(bytes)) << bytes;
    EXPECT_TRUE(IsValidUtf8(DecodeFileText(bytes))) << bytes;
  }
  EXPECT_EQ(DecodeFileText("\x93quoted\x94 \x85"), "\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\xA6");
  EXPECT_EQ(DecodeFileText("\x81"), "\xC2\x81");
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x96\xA8 \xEF\xBF\xBF \xF4\x8F\xBF\xBF"));
  // UTF-16: a surrogate pair, an unpaired surrogate and an odd last byte.
  EXPECT_EQ(DecodeFileText(std::string("\xFF\xFE\x3D\xD8\x68\xDC\x00\xD8\x41\x00\x42", 11)),
            "\xF0\x9F\x91\xA8\xEF\xBF\xBD" "A\xEF\xBF\xBD");
}

}  // namespace
