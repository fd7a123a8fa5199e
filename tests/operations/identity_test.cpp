// The identity and adjustment read operations and the writes of the clock and the service flag,
// against the virtual printer.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "driver/nvram_map.h"
#include "operations/service_operations.h"
#include "support/service_fixture.h"

namespace {

using namespace testing_support;
using operations::kCheckBase;
using operations::kExecuteBase;
using operations::kInputBase;
namespace nv = driver::nvram;

class IdentityTest : public OperationsFixture {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    clock.SetUnixSeconds(1767691805);  // 2026-01-06 09:30:05
    operations::AddIdentityOperations(table);
    operations::AddAdjustmentOperations(table);
    Attach("LW");
  }
  bool RunOp(int base, int item) { return Run(base, item) && request.operationSucceeded; }
};

TEST_F(IdentityTest, ReadsFillTheTextsAndValuesOfTheirPages) {
  ASSERT_TRUE(RunOp(kCheckBase, 10230));
  const vprinter::Bytes serial = Peek(nv::kSerialNumber, nv::kSerialLength);
  EXPECT_EQ(request.outputText, std::string(serial.begin(), serial.end()));
  EXPECT_EQ(request.printerInfo.SerialNo, request.outputText);
  ASSERT_TRUE(RunOp(kCheckBase, 10220));
  const vprinter::Bytes mac = Peek(nv::kMacAddress, nv::kMacLength);
  for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(request.shownValues[k], mac[k]);
  ASSERT_TRUE(RunOp(kCheckBase, 10080));
  EXPECT_EQ(request.outputText.size(), 45u);
  EXPECT_EQ(request.printerInfo.HeadId, request.outputText);

  // Corrections: signed bytes, divided toward zero.
  Poke(550, {0xF4});
  Poke(551, {9});
  Poke(8517, {0xFB});
  Poke(8515, {40});
  ASSERT_TRUE(RunOp(kCheckBase, 10040));
  EXPECT_EQ((std::vector<int>(request.shownValues.begin(), request.shownValues.begin() + 4)),
            (std::vector<int>{-3, 2, -1, 10}));
  Poke(8480, {0xF8});
  ASSERT_TRUE(RunOp(kCheckBase, 10170));
  EXPECT_EQ(request.shownValues[0], -2);
}

TEST_F(IdentityTest, FailedReadsSayWhichMessage) {
  SetFaults([](vprinter::Faults& f) { f.readFailFrom = f.readFailTo = nv::kSerialNumber; });
  Mark();
  EXPECT_FALSE(RunOp(kCheckBase, 10230));
  EXPECT_EQ(Shown(), std::vector{Message(90000002)});
  SetFaults([](vprinter::Faults& f) { f.readFailFrom = f.readFailTo = 0x1CB0; });
  Mark();
  EXPECT_FALSE(RunOp(kCheckBase, 10080));
  EXPECT_EQ(Shown(), std::vector{Message(90000005)});
}

TEST_F(IdentityTest, TheClockIsSetCheckedAndReadBack) {
  request.enteredValues = {27, 2, 7, 10, 31, 6};
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  ASSERT_TRUE(RunOp(kInputBase, 10210));
  EXPECT_EQ(Shown(), (std::vector{Message(11021001), Message(10000001)}));
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(Printer()->Snapshot().rtcSetValue, "270207103106");
  ASSERT_TRUE(RunOp(kCheckBase, 10210));
  EXPECT_EQ((std::vector<int>(request.shownValues.begin(), request.shownValues.begin() + 5)),
            (std::vector<int>{27, 2, 7, 10, 31}));
  std::tm expected{};
  expected.tm_year = 127;
  expected.tm_mon = 1;
  expected.tm_mday = 7;
  expected.tm_hour = 10;
  expected.tm_min = 31;
  expected.tm_sec = request.shownValues[5];
  EXPECT_EQ(request.clockReference, timegm(&expected));
  // Cancelled at the question: nothing is sent.
  request.done = 0;
  ui.QueueAnswer(ui::kAnswerCancel);
  EXPECT_FALSE(RunOp(kInputBase, 10210));
  EXPECT_EQ(request.done, 0);
  // The network worker stamps the moment of the press.
  request.clockReference = 0;
  RunNetwork(kExecuteBase, 10210);
  EXPECT_EQ(request.clockReference, 1767691805);
}

TEST_F(IdentityTest, TheServiceFlagTogglesAndReadsBack) {
  Poke(nv::kServiceFlag, {0});
  ASSERT_TRUE(RunOp(kCheckBase, 10241));
  EXPECT_EQ(request.shownValues[0], 1);
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  ASSERT_TRUE(RunOp(kExecuteBase, 10241));
  EXPECT_EQ(Shown(), (std::vector{Message(11024101), Message(10000004)}));
  EXPECT_EQ(Peek(nv::kServiceFlag, 1), vprinter::Bytes{1});
  EXPECT_EQ(request.shownValues[0], 2);
  ui.QueueAnswer(ui::kAnswerOk);
  ASSERT_TRUE(RunOp(kExecuteBase, 10241));
  EXPECT_EQ(Peek(nv::kServiceFlag, 1), vprinter::Bytes{0});
  EXPECT_EQ(request.shownValues[0], 1);
  SetFaults([](vprinter::Faults& f) { f.writeFailFrom = f.writeFailTo = nv::kServiceFlag; });
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  EXPECT_FALSE(RunOp(kExecuteBase, 10241));
  EXPECT_EQ(Shown(), (std::vector{Message(11024101), Message(90000002)}));
  EXPECT_EQ(Peek(nv::kServiceFlag, 1), vprinter::Bytes{0});
}

}  // namespace

namespace {

class IdentityWriteTest : public IdentityTest {};

TEST_F(IdentityWriteTest, ASerialNumberIsWrittenOnceWithItsCheckText) {
  Poke(nv::kSerialNumber, vprinter::Bytes(10, 0));  // a board without one
  request.inputText = "AB12345678XY";               // longer than ten: the first ten count
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  ASSERT_TRUE(RunOp(kInputBase, 10230));
  EXPECT_EQ(Shown(), (std::vector{Message(11023001), Message(10000004)}));
  EXPECT_EQ(request.outputText, "AB12345678");
  const vprinter::Bytes check = Peek(nv::kLongSerialNumber, nv::kLongSerialLength);
  EXPECT_EQ(std::string(check.begin(), check.end()), "414231323334353678");
  // Now it has one: refused, nothing written.
  request.inputText = "ZZ99999999";
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  EXPECT_FALSE(RunOp(kInputBase, 10230));
  EXPECT_EQ(Shown(), (std::vector{Message(11023001), Message(91023001)}));
  EXPECT_EQ(Peek(nv::kSerialNumber, 2), (vprinter::Bytes{'A', 'B'}));
  request.inputText = "SHORT";
  Mark();
  EXPECT_FALSE(RunOp(kInputBase, 10230));
  EXPECT_EQ(Shown(), std::vector{Message(90000010)});
}

// Each identity write reads back what it wrote: a byte the board takes but does not keep is
// message 90000004 and LastError -992, and nothing is reported done.
TEST_F(IdentityWriteTest, AByteThatDoesNotStickIsAReadBackDifference) {
  const auto& p = driver::kMacVendorPrefix;
  const auto expectDifference = [this](int item, int base, int address) {
    SCOPED_TRACE(item);
    SetFaults([address](vprinter::Faults& f) { f.stuckFrom = f.stuckTo = address; });
    ui.QueueAnswer(ui::kAnswerOk);
    request.done = 0;
    Mark();
    EXPECT_FALSE(RunOp(base, item));
    EXPECT_EQ(Shown().back(), Message(90000004));
    EXPECT_EQ(request.lastError, -992);
    EXPECT_EQ(request.done, 0);
    SetFaults([](vprinter::Faults& f) { f = {}; });
  };
  request.enteredValues = {p[0], p[1], p[2], 0x2D, 0x20, 0x00};
  expectDifference(10220, kInputBase, nv::kMacAddress + 5);
  Poke(nv::kSerialNumber, vprinter::Bytes(10, 0));
  request.inputText = "AB12345678";
  expectDifference(10230, kInputBase, nv::kLongSerialNumber);  // the check text
  Poke(nv::kSerialNumber, vprinter::Bytes(10, 0));
  request.shownValues[0] = 1;
  expectDifference(10241, kExecuteBase, nv::kServiceFlag);
  EXPECT_EQ(request.shownValues[0], 0);
}

TEST_F(IdentityWriteTest, OnlyTheProgramsAddressesAreWrittenUnlessOverridden) {
  const auto& p = driver::kMacVendorPrefix;
  EXPECT_EQ(p[0] & 0x02, 0x02);  // locally administered
  request.enteredValues = {p[0], p[1], p[2], 0x2D, 0x20, 0x00};
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  ASSERT_TRUE(RunOp(kInputBase, 10220));
  EXPECT_EQ(Shown(), (std::vector{Message(11022001), Message(10000001)}));
  EXPECT_EQ(Peek(nv::kMacAddress, 6), (vprinter::Bytes{p[0], p[1], p[2], 0x2D, 0x20, 0x00}));
  for (const auto& outside : {std::array<int, 6>{p[0], p[1], p[2], 0x2D, 0x1F, 0xFF},
                              std::array<int, 6>{p[0], p[1], p[2], 0x2E, 0x00, 0x00},
                              std::array<int, 6>{0x00, p[1], p[2], 0x2D, 0x20, 0x00}}) {
    std::copy(outside.begin(), outside.end(), request.enteredValues.begin());
    Mark();
    EXPECT_FALSE(RunOp(kInputBase, 10220));
    EXPECT_EQ(Shown(), std::vector{Message(90000010)});
  }
  request.selector = 1;  // the page's override
  ui.QueueAnswer(ui::kAnswerOk);
  ASSERT_TRUE(RunOp(kInputBase, 10220));
  EXPECT_EQ(Peek(nv::kMacAddress, 1), vprinter::Bytes{0x00});
}

}  // namespace

namespace {

TEST_F(IdentityWriteTest, AHeadIdIsRegisteredOnlyWhenItReadsBackAndTheFlagIsSet) {
  Poke(driver::nvram::kHeadIdRegistered, {0});
  ASSERT_TRUE(RunOp(kCheckBase, 10080));
  const std::string id = request.outputText;
  request.inputText = id;
  Mark();
  ASSERT_TRUE(RunOp(kInputBase, 10080));
  EXPECT_EQ(Shown(), std::vector{Message(11008001)});
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(request.outputText, id);
  EXPECT_EQ(Peek(driver::nvram::kHeadIdRegistered, 1), vprinter::Bytes{1});
  EXPECT_EQ(RecordedMeasurements(), std::vector<std::string>{"Head ID registered 1 [1, 1] pass"});
  // A mistyped ID is not a head ID: nothing is registered.
  request.done = 0;
  request.inputText = id;
  request.inputText[3] = request.inputText[3] == 'A' ? 'B' : 'A';
  EXPECT_FALSE(RunOp(kInputBase, 10080));
  EXPECT_EQ(request.done, 0);
}

}  // namespace
