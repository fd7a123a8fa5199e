// Parts exchange bookkeeping against the virtual printer, for every part the shipped parts file
// names: the life counter kept and zeroed, the count raised, the date stamped.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>

#include "operations/service_operations.h"
#include "platform/profile.h"
#include "support/service_fixture.h"

namespace {

using namespace testing_support;
using operations::kInputBase;

// 2026-01-06 09:30:05 UTC.
constexpr std::int64_t kExchangeTime = 1767691805;
const vprinter::Bytes kDateRecord = {26, 1, 6, 9};

// clang-format off
constexpr std::pair<int, const char*> kParts[] = {
    {20030, "INKSELECTMOTOR"}, {20100, "TUBE"},    {20110, "WIPER"},      {20120, "INKSYSTEMUNIT"},
    {20130, "INKPRESSUREMOTOR"}, {20150, "INKHOLDER"}, {20170, "PFMOTOR"}, {20180, "CRMOTOR"},
    {20190, "HEAD"},           {20200, "AID"},     {20250, "APGMOTOR"},   {20260, "CUTTERMOTOR"},
    {20270, "MAINBOARD"},      {20280, "POWERSUPPLY"}};
// clang-format on

struct Entry {
  int address = 0;
  int length = 0;
};

class PartsExchangeTest : public OperationsFixture {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    clock.SetUnixSeconds(kExchangeTime);
    service_ = UseScratchServiceFolder();
    operations::AddPartsExchangeOperations(table);
    Attach("LW");
  }
  // The parts file as the test reads it, independently of the program.
  Entry Key(const char* section, const char* key) {
    char value[64] = {};
    platform::GetPrivateProfileString(section, key, "", value, sizeof value,
                                      service_ + "/PartChageHist.ini");
    Entry e;
    unsigned address = 0;
    if (std::sscanf(value, "0x%x,%d", &address, &e.length) == 2)
      e.address = static_cast<int>(address);
    return e;
  }
  void WritePartsFile(const std::string& text) {
    std::ofstream(service_ + "/PartChageHist.ini") << text;
  }
  bool Exchange(int item, int answer = ui::kAnswerOk) {
    ui.QueueAnswer(answer);
    Mark();
    return Run(kInputBase, item) && request.operationSucceeded;
  }

  std::string service_;
};

TEST_F(PartsExchangeTest, EveryShippedPartKeepsZeroesCountsAndDates) {
  for (const auto& [item, section] : kParts) {
    SCOPED_TRACE(section);
    const Entry counter = Key(section, "ResetCounter"), previous = Key(section, "ExchangePrevCount");
    const Entry count = Key(section, "ExchangeCount"), date = Key(section, "ExchangeDate");
    ASSERT_NE(count.address, 0);
    ASSERT_NE(date.address, 0);
    const vprinter::Bytes before = counter.address ? Peek(counter.address, 4) : vprinter::Bytes{};
    ASSERT_TRUE(Exchange(item));
    EXPECT_EQ(request.operationRan, "RecordPartExchange");
    EXPECT_EQ(Shown(), (std::vector{Message(10000005), Message(10000001)}));
    if (counter.address != 0) {
      EXPECT_EQ(Peek(counter.address, 4), (vprinter::Bytes{0, 0, 0, 0}));
      EXPECT_EQ(Peek(previous.address, 4), before);
      EXPECT_NE(before, (vprinter::Bytes{0, 0, 0, 0}));
    }
    EXPECT_EQ(Peek(count.address, 1), vprinter::Bytes{1});  // never set before: 0xFF
    EXPECT_EQ(Peek(date.address, 4), kDateRecord);
  }
}

TEST_F(PartsExchangeTest, CountGoesOnFromItsValueAndCancelChangesNothing) {
  const Entry count = Key("HEAD", "ExchangeCount");
  Poke(count.address, {4});
  ASSERT_TRUE(Exchange(20190));
  EXPECT_EQ(Peek(count.address, 1), vprinter::Bytes{5});
  Poke(count.address, {255 - 1});
  ASSERT_TRUE(Exchange(20190));
  EXPECT_EQ(Peek(count.address, 1), vprinter::Bytes{255});  // 0xFF again means "never"
  const vprinter::PrinterState before = Printer()->Snapshot();
  EXPECT_FALSE(Exchange(20190, ui::kAnswerCancel));
  EXPECT_EQ(Printer()->Snapshot().nvram, before.nvram);
}

TEST_F(PartsExchangeTest, TheCounterIsKeptBeforeItIsZeroed) {
  WritePartsFile(
      "[HEAD]\nResetCounter=0x2A10,4\nExchangePrevCount=0x2A40,4\nExchangeCount=0x2A50,1\n"
      "ExchangeDate=0x2A54,4\n");
  Poke(0x2A10, {1, 2, 3, 4});
  ASSERT_TRUE(Exchange(20190));
  EXPECT_EQ(Peek(0x2A40, 4), (vprinter::Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Peek(0x2A10, 4), (vprinter::Bytes{0, 0, 0, 0}));
  EXPECT_GE(clock.SleptMs(), 2000);

  // Where the previous value cannot be written, the counter is not touched.
  Poke(0x2A10, {5, 6, 7, 8});
  vprinter::Faults faults;
  faults.writeFailFrom = faults.writeFailTo = 0x2A41;
  Printer()->SetFaults(faults);
  EXPECT_FALSE(Exchange(20190));
  EXPECT_EQ(Shown(), (std::vector{Message(10000005), Message(92000001)}));
  EXPECT_EQ(Peek(0x2A10, 4), (vprinter::Bytes{5, 6, 7, 8}));

  // Where it is taken but does not stick, it is no copy: the counter keeps its value, and the
  // count and date stay as they were.
  faults = {};
  faults.stuckFrom = faults.stuckTo = 0x2A42;
  Printer()->SetFaults(faults);
  const vprinter::Bytes count = Peek(0x2A50, 1), date = Peek(0x2A54, 4);
  EXPECT_FALSE(Exchange(20190));
  EXPECT_EQ(Shown(), (std::vector{Message(10000005), Message(90000004)}));
  EXPECT_EQ(request.lastError, -992);
  EXPECT_EQ(Peek(0x2A10, 4), (vprinter::Bytes{5, 6, 7, 8}));
  EXPECT_EQ(Peek(0x2A50, 1), count);
  EXPECT_EQ(Peek(0x2A54, 4), date);
}

TEST_F(PartsExchangeTest, MissingEntriesAreSkippedAndOversizedOnesRefused) {
  // Without a counter only the count and the date; without a count no byte 0 is written.
  WritePartsFile(
      "[TUBE]\nExchangeDate=0x2A54,4\n[WIPER]\nResetCounter=0x2A10,4\n"
      "ExchangeCount=0x2A50,1\n");
  Poke(0, {0x77});
  ASSERT_TRUE(Exchange(20100));
  EXPECT_EQ(Peek(0x2A54, 4), kDateRecord);
  EXPECT_EQ(Peek(0, 1), vprinter::Bytes{0x77});
  ASSERT_TRUE(Exchange(20110));
  EXPECT_EQ(Peek(0x2A50, 1), vprinter::Bytes{1});
  EXPECT_EQ(Peek(0, 1), vprinter::Bytes{0x77});

  for (const char* text : {"[TUBE]\nExchangeDate=0x2A54,5\n", "[TUBE]\nResetCounter=0x2A10,33\n",
                           "[TUBE]\nResetCounter=0x2A10,4\nExchangePrevCount=0x2A40,33\n"}) {
    SCOPED_TRACE(text);
    WritePartsFile(text);
    const vprinter::PrinterState before = Printer()->Snapshot();
    EXPECT_FALSE(Exchange(20100));
    EXPECT_EQ(Shown(), std::vector{Message(92000001)});
    EXPECT_EQ(Printer()->Snapshot().nvram, before.nvram);
  }
  // A part the file does not name is not an exchange that succeeded.
  WritePartsFile("[WIPER]\nExchangeCount=0x2A50,1\n");
  EXPECT_FALSE(Exchange(20100));
  EXPECT_EQ(Shown(), std::vector{Message(90000007)});
}

TEST_F(PartsExchangeTest, IlsPartsWriteTheirBytesIntoTheUnit) {
  for (int address : {0x90, 0x94, 0x98}) Poke(address, {9, 9, 9, 9}, true);
  for (const int item : {20210, 20220, 20230}) {
    ASSERT_TRUE(Exchange(item));
    EXPECT_EQ(request.operationRan, "RecordIlsPartExchange");
    EXPECT_EQ(Shown(), (std::vector{Message(10000005), Message(10000001)}));
  }
  EXPECT_EQ(Peek(0x90, 8, true), vprinter::Bytes(8, 0));
  // The fan motor's section is spelt ISL_FANMOTOR: two bytes.
  EXPECT_EQ(Peek(0x98, 4, true), (vprinter::Bytes{0, 0, 9, 9}));
}

TEST_F(PartsExchangeTest, IlsCountsAreCheckedBeforeAnythingIsSent) {
  WritePartsFile("[ILS_CRMOTOR]\nCount=0\n[ILS_PAPERHOLDER]\nCount=9\n");
  const std::uint64_t received = Printer()->BytesReceived();
  ASSERT_TRUE(Exchange(20210));  // only the closing command
  EXPECT_GT(Printer()->BytesReceived(), received);
  const std::uint64_t afterEmpty = Printer()->BytesReceived();
  EXPECT_FALSE(Exchange(20220));
  EXPECT_EQ(Shown(), std::vector{Message(92000001)});
  EXPECT_EQ(Printer()->BytesReceived(), afterEmpty);
  EXPECT_FALSE(Exchange(20230));  // no section at all
  EXPECT_EQ(Shown(), std::vector{Message(90000007)});
}

}  // namespace
