// The AID inspection against the virtual printer: passes, the inspection errors of the first and
// later runs, runs that stay weak, runs that never begin or end, and keeping the result.

#include <gtest/gtest.h>

#include "driver/nvram_map.h"
#include "operations/dispatcher.h"
#include "operations/service_operations.h"
#include "operations/service_record.h"
#include "support/service_fixture.h"

namespace {

using namespace testing_support;
using operations::kExecuteBase;
using Commands = std::vector<std::string>;
namespace nv = driver::nvram;

class AidInspectionTest : public OperationsFixture {
protected:
  void SetUp() override {
    operations::AddInspectionOperations(table);
    Attach("LW");  // AID limit 3556, AID position 734 (DE 02), rest position 159 (9F 00)
    sent.clear();
  }
  bool Inspect(int item = 10390) {
    request.done = 0;
    return Run(kExecuteBase, item) && request.operationSucceeded;
  }
  // The text of the last message box, and its icon.
  ui::UiCall LastBox() {
    const auto boxes = ui.Calls(ui::UiCallKind::MessageBox);
    return boxes.empty() ? ui::UiCall{} : boxes.back();
  }
  std::string Catalogue(int number) {
    std::string text;
    Environment().catalogue.LookupMessage(number, text);
    return text;
  }
  static const Commands& Preparation() {
    static const Commands commands = {
        "7D 10: 64",
        "7D 80: 00",
        "7D 47: 01 00",
        "7D 03: 03 00",
        "7D 06: 01 07",
        "7D 42: 01 00 00 00 00",
        "7D 41: 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
        "7D 01: 05 DE 02"};
    return commands;
  }
};

TEST_F(AidInspectionTest, AHealthyHeadPassesInTheSecondRun) {
  ASSERT_TRUE(Inspect());
  Commands expected = Preparation();
  for (const char* c : {"7D 64: 01", "7D 03: 03 00", "7D 01: 05 DE 02", "7D 64: 00", "7D 10: 00",
                        "7D 01: 00 9F 00", "7D 80: 01"})
    expected.push_back(c);
  EXPECT_EQ(SentFactoryCommands(), expected);
  const std::string passed = LastBox().text;
  EXPECT_EQ(LastBox().style & ui::kIconMask, ui::kIconInformation);
  EXPECT_NE(passed.find("372 379 375 382 378 374 381 377 373 380"), std::string::npos) << passed;
  EXPECT_EQ(passed.find('%'), std::string::npos);
  EXPECT_EQ(request.aidJudgement, "OK");
  EXPECT_EQ(request.lastError, 0);
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::Wait).size(), ui.Calls(ui::UiCallKind::WaitClosed).size());
}

TEST_F(AidInspectionTest, AnInspectionErrorOfTheFirstRunSaysWhatItWas) {
  SetFaults([](vprinter::Faults& f) {
    f.aidFailRun = 1;
    f.aidFailCode = 0x14;
  });
  EXPECT_FALSE(Inspect());
  const std::string header = Catalogue(91039001);
  const std::size_t field = header.find("%02X");
  ASSERT_NE(field, std::string::npos);
  EXPECT_EQ(LastBox().text, header.substr(0, field) + "14" + header.substr(field + 4) +
                                "14h : High pressure leak\n");
  EXPECT_EQ(LastBox().style & ui::kIconMask, ui::kIconError);
  EXPECT_EQ(RecordedMeasurements(), std::vector<std::string>{"AID run 1 result 20 [1, 1] fail"});
  const Commands commands = SentFactoryCommands();
  EXPECT_EQ(Commands(commands.end() - 3, commands.end()),
            (Commands{"7D 10: 00", "7D 01: 02 9F 00", "7D 80: 01"}));  // parked, stop 2
  EXPECT_EQ(request.lastError, 0);
  EXPECT_EQ(request.done, 0);
}

TEST_F(AidInspectionTest, AnErrorOfALaterRunAndCodesWithoutTheirOwnText) {
  SetFaults([](vprinter::Faults& f) { f.aidFailRun = 2; });
  EXPECT_FALSE(Inspect());
  EXPECT_EQ(LastBox().text.substr(0, 20), Catalogue(91039002).substr(0, 20));
  EXPECT_NE(LastBox().text.find("10h : Inspection error\n"), std::string::npos);
  SetFaults([](vprinter::Faults& f) {
    f.aidFailRun = 1;
    f.aidFailCode = 0x33;
  });
  EXPECT_FALSE(Inspect());
  const std::string text = LastBox().text;
  EXPECT_EQ(text.substr(text.size() - 13), "Other errors\n");
  EXPECT_NE(text.find("33"), std::string::npos);
}

TEST_F(AidInspectionTest, RunsThatStayWeakEndAfterTheThird) {
  SetFaults([](vprinter::Faults& f) { f.aidWeakRuns = 3; });
  Mark();
  EXPECT_FALSE(Inspect());
  EXPECT_EQ(Shown(), std::vector{Message(91039003)});
  EXPECT_EQ(request.aidJudgement, "NG3");
  EXPECT_EQ(request.shownValues[0], 100);  // the last run's results
  // Weak twice, then strong: the third run passes.
  SetFaults([](vprinter::Faults& f) { f.aidWeakRuns = 2; });
  EXPECT_TRUE(Inspect());
  EXPECT_EQ(request.aidJudgement, "OK");
  EXPECT_EQ(request.shownValues[0], 372);

  // The charts: the runs judged against the limit, weak ones failing.
  const auto charts = ui.Charts();
  ASSERT_EQ(charts.size(), 2u);
  EXPECT_EQ(charts[0].second.verdict, "Failed: NG3");
  ASSERT_EQ(charts[0].second.bars.size(), 2u);
  for (const ui::ChartBar& bar : charts[0].second.bars) {
    EXPECT_EQ(bar.min, 3556);
    EXPECT_FALSE(bar.passed);
  }
  const ui::Chart& passed = charts[1].second;
  EXPECT_EQ(passed.verdict, "Passed");
  ASSERT_EQ(passed.bars.size(), 2u);
  EXPECT_EQ(passed.bars[0].label, "Run 2");
  EXPECT_FALSE(passed.bars[0].passed);
  EXPECT_EQ(passed.bars[1].value, 3771);  // 372 + 379 + ... + 380
  EXPECT_TRUE(passed.bars[1].passed);
  EXPECT_EQ(charts[1].first.substr(charts[1].first.size() - 11), "_210390.png");
}

// The limit itself passes; one below it is a weak run, and the inspection goes on.
TEST_F(AidInspectionTest, ASumOfExactlyTheLimitPasses) {
  SetFaults([](vprinter::Faults& f) {
    f.aidSumRun = 2;
    f.aidSum = 3556;
  });
  EXPECT_TRUE(Inspect());
  EXPECT_EQ(request.aidJudgement, "OK");
  EXPECT_EQ(ui.Charts().back().second.bars.size(), 1u);  // no third run
  SetFaults([](vprinter::Faults& f) { f.aidSum = 3555; });
  EXPECT_TRUE(Inspect());
  const ui::Chart chart = ui.Charts().back().second;
  ASSERT_EQ(chart.bars.size(), 2u);
  EXPECT_EQ(chart.bars[0].value, 3555);
  EXPECT_FALSE(chart.bars[0].passed);
  EXPECT_TRUE(chart.bars[1].passed);
  // Each run's result code and each judged sum, as the record keeps them.
  EXPECT_EQ(RecordedMeasurements(),
            (std::vector<std::string>{
                "AID run 1 result 1 [1, 1] pass", "AID run 2 result 1 [1, 1] pass",
                "AID run 2 sum 3555 [3556, -] fail", "AID run 3 result 1 [1, 1] pass",
                "AID run 3 sum " + std::to_string(chart.bars[1].value) + " [3556, -] pass"}));
}

// A passing inspection is charted under the serial number read after it: one that cannot be
// read changes nothing of the run's result, in the request or in the record.
TEST_F(AidInspectionTest, APassingRunKeepsItsResultWhenTheSerialCannotBeRead) {
  SetFaults([](vprinter::Faults& f) {
    f.readFailFrom = driver::nvram::kSerialNumber;
    f.readFailTo = driver::nvram::kSerialNumber;
  });
  EXPECT_TRUE(Inspect());
  EXPECT_EQ(request.lastError, 0);
  EXPECT_FALSE(ui.Charts().empty());
  const auto rows = record::ReadServiceRecord(Environment().folders.csv, "");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].lastError, 0);
  EXPECT_EQ(rows[0].result, record::kRecordDone);
}

TEST_F(AidInspectionTest, RunsThatNeverBeginOrEndAreGivenUpAndSaid) {
  const std::pair<void (*)(vprinter::Faults&), const char*> cases[] = {
      {[](vprinter::Faults& f) { f.aidNeverStarts = true; }, "AID inspection was not begun."},
      {[](vprinter::Faults& f) { f.aidNeverEnds = true; }, "AID inspection did not end."}};
  for (const auto& [fault, text] : cases) {
    vprinter::Faults faults;
    fault(faults);
    Printer()->SetFaults(faults);
    const auto slept = clock.SleepCount();
    EXPECT_FALSE(Inspect());
    EXPECT_EQ(LastBox().text, text);
    EXPECT_EQ(LastBox().style & ui::kIconMask, ui::kIconError);
    const Commands commands = SentFactoryCommands();
    EXPECT_EQ(Commands(commands.end() - 3, commands.end()),
              (Commands{"7D 10: 00", "7D 01: 00 9F 00", "7D 80: 01"}));  // stop 0
    EXPECT_EQ(request.lastError, 0);
    EXPECT_LE(clock.SleepCount() - slept, 60 + 900 + 5);  // bounded by the polls, never a hang
  }
}

TEST_F(AidInspectionTest, TheSecondVariantKeepsTheResultWhenAskedTo) {
  ui.QueueAnswer(ui::kAnswerOk);   // the results
  ui.QueueAnswer(ui::kAnswerYes);  // keep them
  ASSERT_TRUE(Inspect(10391));
  EXPECT_EQ(Peek(nv::kAidKeptResult, 1), Peek(nv::kAidStoredResult, 1));
  EXPECT_NE(Peek(nv::kAidKeptResult, 1), vprinter::Bytes{0xE0});
  EXPECT_EQ(request.lastError, 0);
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerNo);
  ASSERT_TRUE(Inspect(10391));
  EXPECT_EQ(Peek(nv::kAidKeptResult, 1), vprinter::Bytes{0xE0});  // marked at the start, kept so

  // A printer that does not take the result is told of, not passed over: the head passed (done),
  // the run failed, the mark stays.
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerYes);
  SetFaults([](vprinter::Faults& f) { f.readFailFrom = f.readFailTo = nv::kAidStoredResult; });
  Mark();
  EXPECT_FALSE(Inspect(10391));
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(Shown().back(), Message(operations::kMsgPrinterFailed));
  EXPECT_EQ(Peek(nv::kAidKeptResult, 1), vprinter::Bytes{0xE0});
}

}  // namespace
