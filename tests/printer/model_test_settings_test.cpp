#include "printer/model_test_settings.h"

#include <gtest/gtest.h>

#include "printer/printer_link.h"
#include "support/fake_driver.h"
#include "ui/scripted_ui_services.h"

namespace {

class TestSettings : public ::testing::Test {
protected:
  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  printer::CPrinterLink link{printer::LinkEnvironment{settings, ui, clock},
                             std::make_unique<testing_support::FakeDriver>()};
};

TEST_F(TestSettings, AFreshRecordIsZero) {
  EXPECT_EQ(link.TestSettings().CrFarPos, 0);
  EXPECT_EQ(link.TestSettings().ModelCode2, "");
}

TEST_F(TestSettings, ModelsChooseTheirSet) {
  ASSERT_TRUE(link.SetModel("BD"));
  EXPECT_EQ(link.TestSettings().ModelCode2, "HS");
  EXPECT_EQ(link.TestSettings().CrFarPos, 9309);
  EXPECT_EQ(link.TestSettings().PfMeasure.Divisor, 520);
  ASSERT_TRUE(link.SetModel("MW"));
  EXPECT_EQ(link.TestSettings().ModelCode2, "LW");
  EXPECT_EQ(link.TestSettings().CrMeasure.CurL_Min, 130);
}

TEST_F(TestSettings, AModelWithoutASetKeepsTheLastOne) {
  ASSERT_TRUE(link.SetModel("LN"));
  ASSERT_TRUE(link.SetModel("PW"));
  EXPECT_EQ(link.TestSettings().ModelCode2, "LN");
  EXPECT_EQ(link.TestSettings().CrFarPos, 6339);
}

TEST_F(TestSettings, ASetWritesOnlyItsOwnFields) {
  ASSERT_TRUE(link.SetModel("LN"));
  ASSERT_TRUE(link.SetModel("FM"));
  EXPECT_EQ(link.TestSettings().CrAidPos, 734);
  EXPECT_EQ(link.TestSettings().AidLimit, 3556);
  EXPECT_EQ(link.TestSettings().CrAdjustPos, 749);
  EXPECT_EQ(link.TestSettings().ModelCode2, "FM");
}

TEST_F(TestSettings, NozzleLanesPerSet) {
  ASSERT_TRUE(link.SetModel("NN"));
  const auto& lanes = link.TestSettings().NozzleColorCodes;
  EXPECT_EQ(lanes[4], 0xFF);
  EXPECT_EQ(lanes[5], 0xFF);
  EXPECT_EQ(lanes[10], 0xFF);
  EXPECT_EQ(lanes[6], 0x86);
  printer::ModelTestSettings ce17;
  ASSERT_TRUE(printer::ApplyTestSettings("CE17", ce17));
  EXPECT_EQ(ce17.NozzleColorCodes[0], 0x11);
  EXPECT_EQ(ce17.PfMeasure.Exp2, 12);
  EXPECT_EQ(ce17.CrMeasure.Exp2, 13);
  EXPECT_FALSE(printer::ApplyTestSettings("CE99", ce17));
}

}  // namespace
