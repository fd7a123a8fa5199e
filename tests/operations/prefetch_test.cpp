// The values a page shows, read from the virtual printer when its item is selected: the byte
// conversions, the four-byte values with their not-read marker, and the cases that read nothing.

#include "operations/prefetch.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/virtual_printer_bench.h"

namespace {

using operations::OperationRequest;

class PrefetchTest : public ::testing::Test, public testing_support::VirtualPrinterBench {
protected:
  PrefetchTest() : catalogue(ui, platform::ServiceFolder(GRELT_DATA_DIR)) {}

  std::shared_ptr<vprinter::VirtualPrinter> Attach(const std::string& model) {
    std::string error;
    EXPECT_TRUE(AttachPrinter(model, &error)) << error;
    return Printer();
  }
  bool Prefetch(int item) {
    request.itemNumber = item;
    return operations::PrefetchItemValues(request, {settings, ui, clock, nullptr, catalogue, table,
                                                    [this] { return MakeDriver(); }, nullptr});
  }
  static vprinter::Bytes Long(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  }

  menu::MenuFiles catalogue;
  operations::OperationTable table;
  OperationRequest request;
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
  EXPECT_EQ(ui.Calls("message-box").size(), 1u);
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
