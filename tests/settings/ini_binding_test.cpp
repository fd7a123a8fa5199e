#include "settings/ini_binding.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/profile.h"
#include "support/temp_folder.h"

using settings::IniBinding;
using settings::LoadIniBindings;

namespace {

platform::ProfileFile Ini(std::string_view text) { return platform::ProfileFile::Parse(text); }

int ReadInteger(std::string_view line, int def) {
  int value = -12345;
  const IniBinding binding = IniBinding::Integer("S", "nKey", value, def);
  LoadIniBindings({&binding, 1}, Ini("[S]\n" + std::string(line) + "\n"));
  return value;
}

int ReadFlag(std::string_view line) {
  int value = -12345;
  const IniBinding binding = IniBinding::Flag("S", "bKey", value);
  LoadIniBindings({&binding, 1}, Ini("[S]\n" + std::string(line) + "\n"));
  return value;
}

struct ListResult {
  std::vector<int> values;
  int count;
};

ListResult ReadList(std::string_view line, std::string def = "0 0 0 0") {
  std::array<int, 4> dest;
  dest.fill(-1);
  int count = -1;
  const IniBinding binding = IniBinding::IntegerList("S", "pnKey", dest, count, std::move(def));
  LoadIniBindings({&binding, 1}, Ini("[S]\n" + std::string(line) + "\n"));
  return {std::vector<int>(dest.begin(), dest.begin() + std::max(count, 0)), count};
}

std::string ReadText(std::string_view line, std::string def = "default") {
  std::string value = "untouched";
  const IniBinding binding = IniBinding::Text("S", "strKey", value, std::move(def));
  LoadIniBindings({&binding, 1}, Ini("[S]\n" + std::string(line) + "\n"));
  return value;
}

TEST(IniBinding, KindsFollowTheTableNumbering) {
  std::string text;
  int value = 0;
  std::array<int, 1> list{};
  EXPECT_EQ(static_cast<int>(IniBinding::Text("S", "K", text).Kind()), 0);
  EXPECT_EQ(static_cast<int>(IniBinding::Integer("S", "K", value, 0).Kind()), 1);
  EXPECT_EQ(static_cast<int>(IniBinding::IntegerList("S", "K", list, value, "").Kind()), 2);
  EXPECT_EQ(static_cast<int>(IniBinding::Flag("S", "K", value).Kind()), 3);
}

TEST(IniBinding, IntegersHonourHexCommentsAndDefaults) {
  EXPECT_EQ(ReadInteger("nKey=0x10 ; four", 1), 16);
  EXPECT_EQ(ReadInteger("nKey=0X10", 1), 16);  // lower-cased before the "0x" test
  EXPECT_EQ(ReadInteger("nKey=abc", 1), 1);
  EXPECT_EQ(ReadInteger("nKey=", 7), 7);
  EXPECT_EQ(ReadInteger("other=3", 7), 7);
  EXPECT_EQ(ReadInteger("nKey=  -42  ", 0), -42);
  EXPECT_EQ(ReadInteger("nKey=12abc", 0), 12);       // leading digits
  EXPECT_EQ(ReadInteger("nKey=0xFFFFFFFF", 0), -1);  // the 32-bit pattern
  EXPECT_EQ(ReadInteger("nKey=0xzz", 5), 5);
  EXPECT_EQ(ReadInteger("nKey=99999999999", 0), 2147483647);
  EXPECT_EQ(ReadInteger("nKey=-99999999999", 0), -2147483647 - 1);
  // "0x" anywhere makes the value, less its first two characters, hexadecimal.
  EXPECT_EQ(ReadInteger("nKey=1 0x", 3), 0);  // "0x" left: the scanner reads its 0
  EXPECT_EQ(ReadInteger("nKey=a0x5", 3), 3);  // "x5" is no number
  EXPECT_EQ(ReadInteger("nKey=;10", 3), 3);
  EXPECT_EQ(ReadInteger("nKey=12;0x20;7", 3), 12);
}

TEST(IniBinding, FlagsAreZeroOrOne) {
  EXPECT_EQ(ReadFlag("bKey=2"), 1);
  EXPECT_EQ(ReadFlag("bKey=0"), 0);
  EXPECT_EQ(ReadFlag("bKey=-1"), 1);
  EXPECT_EQ(ReadFlag("bKey=yes"), 0);  // not a number: the default 0
  EXPECT_EQ(ReadFlag("other=1"), 0);
}

TEST(IniBinding, ListsCountTheirTokens) {
  EXPECT_EQ(ReadList("pnKey=1").values, std::vector<int>{1});
  EXPECT_EQ(ReadList("pnKey=1").count, 1);
  EXPECT_EQ(ReadList("pnKey=").count, 0);
  EXPECT_EQ(ReadList("pnKey= ; nothing").count, 0);
  EXPECT_EQ(ReadList("pnKey=11 12;13;14").values, (std::vector<int>{11, 12}));
  EXPECT_EQ(ReadList("other=1").values, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(ReadList("other=1").count, 4);
  EXPECT_EQ(ReadList("pnKey=11 0x1F 0X10 abc").values, (std::vector<int>{11, 31, 16, 0}));
  // Split at single spaces: two spaces make an empty token, which reads as 0.
  EXPECT_EQ(ReadList("pnKey=1  2").values, (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(ReadList("pnKey=7x -3").values, (std::vector<int>{7, -3}));
}

TEST(IniBinding, ListsNeverGrowPastTheirCapacity) {
  std::array<int, 6> guarded;
  guarded.fill(-1);
  int count = 0;
  const IniBinding binding =
      IniBinding::IntegerList("S", "pnKey", std::span<int>(guarded).subspan(1, 4), count, "");
  LoadIniBindings({&binding, 1}, Ini("[S]\npnKey=1 2 3 4 5 6 7 8 9\n"));
  EXPECT_EQ(count, 4);
  EXPECT_EQ(guarded, (std::array<int, 6>{-1, 1, 2, 3, 4, -1}));
}

TEST(IniBinding, TextsExpandLineBreaksAndLoseComments) {
  EXPECT_EQ(ReadText("strKey=Press OK\\nto retry"), "Press OK\r\nto retry");
  EXPECT_EQ(ReadText("strKey=  padded   ; comment"), "padded");
  EXPECT_EQ(ReadText("strKey=A;B"), "A");
  EXPECT_EQ(ReadText("strKey=A ;B; C;"), "A");  // the first ";" ends the value, not the last
  EXPECT_EQ(ReadText("strKey="), "");
  EXPECT_EQ(ReadText("other=x"), "default");
  EXPECT_EQ(ReadText("other=x", "dflt ; with comment"), "dflt");  // defaults pass the same rules
  EXPECT_EQ(ReadText("strKey=back\\\\n"), "back\\\r\n");
}

TEST(IniBinding, LongValuesAreCutTo2047Characters) {
  EXPECT_EQ(ReadText("strKey=" + std::string(5000, 'a')).size(), 2047u);
  EXPECT_EQ(ReadText("strKey=" + std::string(2047, 'b')).size(), 2047u);
  EXPECT_EQ(ReadText("strKey=" + std::string(2046, 'c')).size(), 2046u);
}

TEST(IniBinding, AMissingFileGivesEveryDefault) {
  testing_support::TempFolder folder;
  std::string text;
  int number = 0;
  int flag = 9;
  std::array<int, 3> list{};
  int count = 0;
  const std::vector<IniBinding> table = {
      IniBinding::Text("A", "strT", text, "dflt"), IniBinding::Integer("A", "nI", number, 5),
      IniBinding::Flag("A", "bF", flag), IniBinding::IntegerList("A", "pnL", list, count, "1 2")};
  LoadIniBindings(table, folder / "absent.ini");
  EXPECT_EQ(text, "dflt");
  EXPECT_EQ(number, 5);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(list[1], 2);
}

TEST(IniBinding, TablesAreFilledInOrder) {
  // Two entries with one destination: the later entry wins.
  int value = 0;
  const std::vector<IniBinding> table = {IniBinding::Integer("S", "a", value, 0),
                                         IniBinding::Integer("S", "b", value, 0)};
  LoadIniBindings(table, Ini("[S]\na=1\nb=2\n"));
  EXPECT_EQ(value, 2);
}

}  // namespace
