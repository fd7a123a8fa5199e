// The values a page shows, read from the virtual printer when its item is selected: the byte
// conversions, the four-byte values with their not-read marker, and the cases that read nothing.

#include "operations/prefetch.h"

#include <gtest/gtest.h>

#include "operations/service_operations.h"
#include "operations/shared_steps.h"
#include "support/service_fixture.h"

namespace {

// The page values as the program registers them, read through the fixture's dispatcher.
class PrefetchTest : public testing_support::OperationsFixture {
protected:
  PrefetchTest() { table = operations::ServiceOperations(); }
};

TEST_F(PrefetchTest, BytesAreConvertedAsEachPageShowsThem) {
  auto printer = Attach("LW");
  printer->WriteNvram(373, {static_cast<std::uint8_t>(-17)});
  ASSERT_TRUE(Prefetch(10180));
  EXPECT_EQ(request.shownValues[0], -2);  // -17 / 6, toward zero

  printer->WriteNvram(11632, {6});
  for (int item : {10240, 10241, 20060}) {
    ASSERT_TRUE(Prefetch(item));
    EXPECT_EQ(request.shownValues[0], 7) << item;
  }

  printer->WriteNvram(7816, Long(0xFFFFFFFEu));
  ASSERT_TRUE(Prefetch(20020));
  EXPECT_EQ(request.shownValues[0], -2);  // the four bytes as a signed number

  ASSERT_TRUE(Prefetch(10230));
  EXPECT_EQ(request.printerInfo.SerialNo.size(), 10u);
}

TEST_F(PrefetchTest, TheInkVolumeSumsWrapAtThirtyTwoBitsAndTakeTheFillOffWhenFlagged) {
  Attach("LW");
  Poke(390, Long(0x80000000u));  // A: the lowest 32-bit number
  Poke(317, Long(1));            // C
  Poke(422, Long(2));            // B
  Poke(1547, Long(10));          // D
  Poke(1539, Long(20));          // E
  Poke(1316, Long(5));           // F
  Poke(1299, {0});
  ASSERT_TRUE(Prefetch(20080));
  EXPECT_EQ(request.shownValues[1], 0x7FFFFFFD);                     // A - C - B, wrapped
  EXPECT_EQ(request.shownValues[0], static_cast<int>(0x8000001Bu));  // + D + E, wrapped back
  Poke(1299, {1});
  ASSERT_TRUE(Prefetch(20080));
  EXPECT_EQ(request.shownValues[0], static_cast<int>(0x80000016u));  // and F taken off
}

TEST_F(PrefetchTest, TheBidAndMacPagesShowTheirSixBytes) {
  Attach("LW");
  Poke(313, {0xFF, 0x05, 0x80});
  Poke(329, {0x7F, 0x00, 0xFE});
  ASSERT_TRUE(Prefetch(10070));
  EXPECT_EQ(std::vector<int>(request.shownValues.begin(), request.shownValues.begin() + 7),
            (std::vector<int>{-1, 5, -128, 127, 0, -2, 0}));
  Poke(114, {0x00, 0x26, 0xAB, 0xFF, 0x01, 0x80});
  ASSERT_TRUE(Prefetch(10220));
  EXPECT_EQ(std::vector<int>(request.shownValues.begin(), request.shownValues.begin() + 7),
            (std::vector<int>{0x00, 0x26, 0xAB, 0xFF, 0x01, 0x80, 0}));
}

TEST_F(PrefetchTest, AValueThatCannotBeReadShowsTheNotReadMarker) {
  auto printer = Attach("LW");
  printer->WriteNvram(202, Long(12345));
  printer->WriteNvram(206, Long(678));
  vprinter::Faults faults;
  faults.readFailFrom = 206;
  faults.readFailTo = 209;
  printer->SetFaults(faults);
  ASSERT_TRUE(Prefetch(20040));
  EXPECT_EQ(request.shownValues[0], 12345);
  EXPECT_EQ(request.shownValues[1], operations::kNotRead);

  // A failed service-flag read shows 0 ("--"), not 1 ("OFF").
  faults.readFailFrom = 11632;
  faults.readFailTo = 11632;
  printer->SetFaults(faults);
  ASSERT_TRUE(Prefetch(10241));
  EXPECT_EQ(request.shownValues[0], 0);
}

TEST_F(PrefetchTest, EarlierValuesAreClearedAndSomeItemsReadNothing) {
  request.shownValues.fill(9);
  request.enteredValues.fill(9);
  request.printerInfo.HeadId = "OLD";
  request.noPrefetch = 1;
  EXPECT_TRUE(Prefetch(10080));  // no printer attached, and none opened
  EXPECT_EQ(request.shownValues[3], 0);
  EXPECT_EQ(request.enteredValues[3], 0);
  EXPECT_EQ(request.printerInfo.HeadId, "");
  request.noPrefetch = 0;
  EXPECT_TRUE(Prefetch(30010));
  EXPECT_TRUE(Prefetch(0));
  EXPECT_TRUE(ui.Calls().empty());

  // The printer is needed for the rest, and its absence is told.
  EXPECT_FALSE(Prefetch(10080));
  EXPECT_EQ(request.printerMissing, 1);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageBox).size(), 1u);
}

TEST_F(PrefetchTest, AnUnknownModelStopsTheReadsExceptInTheAnyModelMode) {
  auto printer = Attach("ZZ");
  printer->WriteNvram(114, {1, 2, 3, 4, 5, 6});
  request.runMode = operations::kRunModeSilent;
  EXPECT_FALSE(Prefetch(10220));
  EXPECT_EQ(request.resultCode, operations::kResultUnknownModel);
  EXPECT_TRUE(ui.Calls().empty());
  // Mode 5141 goes on to the page; without the model's access code the printer refuses the
  // reads, so the page shows zeros.
  request.runMode = operations::kRunModeAnyModel;
  EXPECT_TRUE(Prefetch(10220));
  EXPECT_EQ(request.shownValues[5], 0);
  EXPECT_TRUE(ui.Calls().empty());
}

}  // namespace
