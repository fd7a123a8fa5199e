// The nozzle check, validated and then read back row by row as the printer decodes it.

#include "patterns/nozzle_check.h"

#include <gtest/gtest.h>

#include "encoder/raster_commands.h"
#include "patterns/pattern_test_support.h"

namespace {

using vprinter::Bytes;

class NozzleTest : public testing_support::PatternFixture {
protected:
  NozzleTest() { encoder::TXSetInfo(*link, 2, 0); }
  patterns::PrintSetting SettingFor(const char* model) {
    link->SetModel(model);
    patterns::PrintSetting setting;
    setting.ColorCodes = link->TestSettings().NozzleColorCodes;
    return setting;
  }
  std::string LastMessage() const { return ui.Calls().empty() ? "" : ui.Calls().back().text; }
};

TEST_F(NozzleTest, TheSettingIsCheckedInOrder) {
  patterns::PrintSetting s;
  s.Width_Pattern = 848;
  ASSERT_TRUE(patterns::CheckPrintSetting(s, ui));
  EXPECT_EQ(s.StartPos, 0);
  EXPECT_EQ(s.RasterWidth, 848);

  auto fails = [&](patterns::PrintSetting bad, const char* message) {
    EXPECT_FALSE(patterns::CheckPrintSetting(bad, ui)) << message;
    EXPECT_EQ(LastMessage(), std::string("DebugError!\nCheckPrintSetting\n") + message);
  };
  patterns::PrintSetting bad = s;
  bad.Head_Setting = 2;
  bad.Dummy_Home = 5;  // also wrong, but the head setting is tested first
  fails(bad, "Head Setting is abnormal");
  bad = s;
  bad.Dummy_Home = -32;
  fails(bad, "Dummy_Home is abnormal");
  bad = s;
  bad.Dummy_Full = 33;
  fails(bad, "Dummy_Full is abnormal");
  bad = s;
  bad.Width_Pattern = 0;
  fails(bad, "Width_Pattern is abnormal");
  bad = s;
  bad.Horizontal[1] = 100;
  fails(bad, "nHorizontal is abnormal1");
  bad.Horizontal[1] = 3200;
  fails(bad, "nHorizontal is abnormal2");
  bad = s;
  bad.Dummy_Home = 64;
  fails(bad, "DummyHome/Horizontal[0] is abnormal");

  patterns::PrintSetting two = s;
  two.Horizontal[1] = 27136;  // exactly one block away: it counts
  ASSERT_TRUE(patterns::CheckPrintSetting(two, ui));
  EXPECT_EQ(two.RasterWidth, 1696);
  patterns::PrintSetting dummy = s;
  dummy.Dummy_Home = 64;
  dummy.Horizontal[0] = 64;
  ASSERT_TRUE(patterns::CheckPrintSetting(dummy, ui));
  EXPECT_EQ(dummy.StartPos, 0);
  EXPECT_EQ(dummy.RasterWidth, 850);
}

TEST_F(NozzleTest, EveryLaneIsAStaircaseOf360Rows) {
  patterns::PrintSetting s = SettingFor("MW");  // CE40: lanes 0 to 9
  ASSERT_TRUE(patterns::PrintNozzleCheck(*link, s, 1));
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 10u + 1u);  // ten lanes and the legend
  for (int k = 0; k < 10; ++k) {
    const auto& lane = blocks[static_cast<std::size_t>(k)];
    EXPECT_EQ(lane.colour, 0x80 + k);
    ASSERT_EQ(lane.rows.size(), 360u);
    for (int i = 0; i < 360; ++i) {
      const Bytes& row = lane.rows[static_cast<std::size_t>(i)];
      ASSERT_EQ(row.size(), 848u);
      const int g = i % 8;
      const std::size_t cell = 40 + 64 * static_cast<std::size_t>(k);
      Bytes expected(848, 0);
      for (int b = 0; b < 8; ++b) expected[cell + 8 * static_cast<std::size_t>(g) + b] = 0xFF;
      if (g != 0) expected[cell] = 0xC0;       // the cell's first dot, large
      if (g != 7) expected[cell + 63] = 0x03;  // the cell's last dot, large
      ASSERT_EQ(row, expected) << "lane " << k << " row " << i;
    }
  }
  EXPECT_EQ(blocks.back().rows.size(), 60u);  // the legend: one text line
  EXPECT_EQ(blocks.back().colour, 0);
}

TEST_F(NozzleTest, BlankLanesKeepTheirPlace) {
  patterns::PrintSetting s = SettingFor("NN");  // CE41
  ASSERT_TRUE(patterns::PrintNozzleCheck(*link, s, 3));
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 8u + 1u);
  const auto& lane6 = blocks[4];  // lanes 0-3, then 6
  EXPECT_EQ(lane6.colour, 0x86);
  EXPECT_EQ(lane6.rows[0][424], 0x55);  // small dots at byte 40 + 64 x 6
  EXPECT_EQ(lane6.rows[0][423], 0x00);
}

TEST_F(NozzleTest, DotTypesChooseTheDotSize) {
  EXPECT_EQ(patterns::DotText(2), "10101010");
  patterns::PrintSetting s = SettingFor("FM");
  ASSERT_TRUE(patterns::PrintNozzleCheck(*link, s, 0));
  const auto blocks = Blocks();
  const Bytes& row = blocks[0].rows[1];
  int printed = 0;
  for (std::uint8_t b : row) printed += b != 0 ? 1 : 0;
  EXPECT_EQ(printed, 2);  // only the two marker dots
}

TEST_F(NozzleTest, ThePageSetUpPicksTheSmallDotOnlyForDotType3) {
  link->SetModel("MW");
  auto setUp = [&](int dotType) {
    EXPECT_TRUE(patterns::AppendNozzleCheckLanes(*link, dotType));
    return TakeHex().substr(0, 150);
  };
  // Graphics mode, direction 0, dot size, unit 1/2880, resolution 360 by 360.
  auto expected = [](const char* size) {
    return std::string("1B 28 47 01 00 01 1B 55 00 1B 28 65 02 00 00 ") + size +
           " 1B 28 55 05 00 01 01 01 40 0B ";
  };
  for (const auto& [dotType, size] : {std::pair{1, "12"}, {2, "12"}, {3, "11"}}) {
    const std::string bytes = setUp(dotType);
    EXPECT_TRUE(bytes.starts_with(expected(size))) << dotType << ": " << bytes;
  }
}

TEST_F(NozzleTest, DummyColumnsWidenEveryLine) {
  patterns::PrintSetting s = SettingFor("MW");
  s.Dummy_Home = 64;
  s.Horizontal[0] = 64;
  s.Dummy_Full = 32;
  ASSERT_TRUE(patterns::PrintNozzleCheck(*link, s, 1));
  const auto blocks = Blocks();
  EXPECT_EQ(blocks[0].rows[0].size(), 851u);
  EXPECT_EQ(blocks[0].rows[0][0], 0x40);    // a small dot in the very first dot, line 0 only
  EXPECT_EQ(blocks[0].rows[0][850], 0x01);  // and in the very last
  EXPECT_EQ(blocks[0].rows[1][0], 0x00);
}

TEST_F(NozzleTest, ARefusedSettingAppendsNothing) {
  patterns::PrintSetting s = SettingFor("MW");
  s.Head_Setting = 0;
  EXPECT_FALSE(patterns::PrintNozzleCheck(*link, s, 1));
  EXPECT_EQ(link->JobLength(), 0u);
}

TEST_F(NozzleTest, TheDummyDotLine) {
  ASSERT_TRUE(patterns::Print_Dummy_Dot(*link, 2, 720));
  EXPECT_EQ(TakeHex(), "1B 69 00 01 02 02 00 01 00 00 40 00 01 1B 28 76 04 00 D0 02 00 00 0D");
  EXPECT_FALSE(patterns::Print_Dummy_Dot(*link, 1, 720));
  EXPECT_EQ(LastMessage(), "DebugError!\nPrint_Dummy_Dot");
  EXPECT_EQ(TakeHex(), "");
}

}  // namespace
