// Maintenance operations against the virtual printer: the commands each sends, in order, the
// questions and messages around them, and the waits while the printer works.

#include <gtest/gtest.h>

#include "operations/service_operations.h"
#include "support/service_fixture.h"

namespace {

using namespace testing_support;
using operations::kExecuteBase;
using Commands = std::vector<std::string>;

class MaintenanceTest : public OperationsFixture {
protected:
  void SetUp() override {
    operations::AddMaintenanceOperations(table);
    Attach("LW");  // carriage positions: rest and start 159, near 437, far 9939, end 3300
    sent.clear();
  }
  bool RunOp(int item, int base = kExecuteBase) {
    request.done = 0;
    return Run(base, item) && request.operationSucceeded;
  }
  std::size_t WaitDialogs() { return ui.Calls(ui::UiCallKind::Wait).size(); }
  std::size_t ClosedWaitDialogs() { return ui.Calls(ui::UiCallKind::WaitClosed).size(); }
};

TEST_F(MaintenanceTest, RunInStrokesTheCarriageThreeTimesBetweenFarAndNear) {
  Mark();
  ASSERT_TRUE(RunOp(10010));
  EXPECT_EQ(SentFactoryCommands(),
            (Commands{"7D 80: 00", "7D 01: 00 9F 00", "7D 01: 03 D3 26", "7D 01: 03 B5 01",
                      "7D 01: 03 D3 26", "7D 01: 03 B5 01", "7D 01: 03 D3 26", "7D 01: 03 B5 01",
                      "7D 01: 03 E4 0C"}));
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(WaitDialogs(), 1u);
  EXPECT_EQ(ClosedWaitDialogs(), 1u);
  EXPECT_GE(clock.SleepCount(), 8);  // the printer worked a second a move, watched once a second
}

TEST_F(MaintenanceTest, CleaningTakesTheStrengthAndTheChosenRowPairs) {
  struct Case {
    int selector;
    std::array<int, 5> flags;
    Commands commands;
  };
  const Case cases[] = {
      {3, {1, 1, 1, 1, 1}, {"7D 40: 12", "7D 40: 13", "7D 40: 14", "7D 40: 15", "7D 40: 16"}},
      {1, {1, 1, 1, 1, 1}, {"7D 40: 01"}},
      {0, {1, 1, 1, 1, 1}, {"7D 40: 00"}},
      {1, {1, 0, 0, 0, 1}, {"7D 40: 08", "7D 40: 0C"}},
      {2, {0, 1, 0, 1, 0}, {"7D 40: 0E", "7D 40: 10"}},
  };
  for (const Case& c : cases) {
    request.selector = c.selector;
    request.colourFlags = c.flags;
    ui.QueueAnswer(ui::kAnswerOk);
    Mark();
    ASSERT_TRUE(RunOp(10100));
    EXPECT_EQ(SentFactoryCommands(), c.commands) << c.selector;
    EXPECT_EQ(Shown(), std::vector{Message(11010001)});
    EXPECT_EQ(request.done, 1);
  }
  EXPECT_EQ(Printer()->Snapshot().faults.stuckStatus, -1);
  // Cancelled at the question: nothing is sent.
  ui.QueueAnswer(ui::kAnswerCancel);
  EXPECT_FALSE(RunOp(10100));
  EXPECT_TRUE(SentFactoryCommands().empty());
  EXPECT_EQ(request.done, 0);
}

TEST_F(MaintenanceTest, ACleaningKeepsTheDialogUpWhileThePrinterCleans) {
  request.selector = 0;
  request.colourFlags = {1, 1, 1, 1, 1};
  ui.QueueAnswer(ui::kAnswerOk);
  const auto sleptBefore = clock.SleepCount();
  ASSERT_TRUE(RunOp(10100));
  EXPECT_GE(clock.SleepCount() - sleptBefore, 60);  // a minute of polls, one a second
  EXPECT_EQ(WaitDialogs(), ClosedWaitDialogs());
}

// A printer lost while it works (unplugged, its process killed) has not done the work: the run
// fails with 90000005 once the wait dialog is gone, and nothing counts as done.
TEST_F(MaintenanceTest, APrinterLostWhileItCleansIsNoCleaningDone) {
  request.colourFlags = {1, 1, 1, 1, 1};
  ui.QueueAnswer(ui::kAnswerOk);
  clock.OnSleep([this] { SetFaults([](vprinter::Faults& f) { f.disconnected = true; }); });
  Mark();
  EXPECT_FALSE(RunOp(10100));
  clock.OnSleep({});
  EXPECT_EQ(request.done, 0);
  EXPECT_EQ(Shown().back(), Message(90000005));
  EXPECT_EQ(WaitDialogs(), ClosedWaitDialogs());
  const auto calls = ui.Calls();
  EXPECT_EQ(calls.back().kind, ui::UiCallKind::MessageBox);  // after the dialog closed

  // A printer that only stays busy past the polls is told of and the cleaning counts as done,
  // as the printer may just be slow.
  SetFaults([](vprinter::Faults& f) { f.disconnected = false; });
  ui.QueueAnswer(ui::kAnswerOk);
  clock.OnSleep([this] { SetFaults([](vprinter::Faults& f) { f.stuckStatus = 3; }); });
  EXPECT_TRUE(RunOp(10100));
  clock.OnSleep({});
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(request.lastError, -995);
}

class SlotCleaningTest : public MaintenanceTest {
protected:
  static constexpr int kSlots = 40160;
  std::string CounterBox() {
    const auto boxes = ui.Calls(ui::UiCallKind::MessageBox);
    for (const ui::UiCall& box : boxes)
      if (box.text.find("Slot 1 :") != std::string::npos ||
          box.text.find("Slot 3 :") != std::string::npos)
        return box.text;
    return "";
  }
};

TEST_F(SlotCleaningTest, TheSmallVariantNeedsOnlySlotsThreeAndTen) {
  Poke(kSlots, {0, 0, 4, 0, 0, 0, 0, 0, 0, 7, 0});
  request.selector = 2;           // variant 1
  ui.QueueAnswer(ui::kAnswerOk);  // the counters
  ui.QueueAnswer(ui::kAnswerOk);  // the question
  Mark();
  ASSERT_TRUE(RunOp(10131));
  std::string header;
  Environment().catalogue.LookupMessage(11013002, header);
  EXPECT_EQ(CounterBox(), header +
                              " Slot 1 : for 0 Times\r\n Slot 2 : for 0 Times\r\n"
                              " Slot 3 : for 4 Times\r\n Slot 4 : for 0 Times\r\n"
                              " Slot 5 : for 0 Times\r\n Slot 6 : for 0 Times\r\n"
                              " Slot 7 : for 0 Times\r\n Slot 8 : for 0 Times\r\n"
                              " Slot 9 : for 0 Times\r\n Slot 10 : for 7 Times\r\n"
                              " Slot 11 : for 0 Times\r\n");
  EXPECT_EQ(SentFactoryCommands(), (Commands{"7D 4F: 00", "7D 4F: 00", "7D 40: 36"}));
  EXPECT_EQ(Peek(kSlots + 2, 1), vprinter::Bytes{3});  // one cleaning used
  EXPECT_EQ(request.done, 1);
  // The small variant needs both of its slots.
  Poke(kSlots + 9, {0});
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  EXPECT_FALSE(RunOp(10131));
  EXPECT_EQ(Shown().back(), Message(91013001));
  Poke(kSlots + 9, {7});
  SentFactoryCommands();
  // The full variant refuses the same table.
  request.selector = 0;
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  EXPECT_FALSE(RunOp(10131));
  const std::vector<ShownMessage> shown = Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], Message(91013001));
  EXPECT_EQ(SentFactoryCommands(), (Commands{"7D 4F: 00", "7D 4F: 00"}));
}

TEST_F(SlotCleaningTest, SlotsNotInUseAreLeftOutAndOtherChoicesOnlyFinish) {
  Poke(kSlots, {5, 5, 5, 255, 5, 5, 5, 5, 5, 5, 255});
  request.selector = 0;
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerCancel);  // not now
  EXPECT_FALSE(RunOp(10131));
  EXPECT_EQ(CounterBox().find("Slot 4 :"), std::string::npos);
  EXPECT_EQ(SentFactoryCommands(), (Commands{"7D 4F: 00", "7D 4F: 00"}));
  request.selector = 1;
  EXPECT_TRUE(RunOp(10131));
  EXPECT_EQ(request.done, 1);
  EXPECT_TRUE(SentFactoryCommands().empty());
}

TEST_F(MaintenanceTest, DayTimerNeedsTheSendAndTheReadyPrinter) {
  Mark();
  ASSERT_TRUE(RunOp(10150));
  EXPECT_EQ(SentFactoryCommands(), Commands{"7D 02: 02 00 80 51 01 00 00 00 00 00 00"});
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  SetFaults([](vprinter::Faults& f) { f.stuckStatus = 3; });  // never ready
  Mark();
  EXPECT_FALSE(RunOp(10150));
  const std::vector<ShownMessage> shown = Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), Message(90000005));
  EXPECT_EQ(request.done, 0);
}

TEST_F(MaintenanceTest, SwitchCommandsAreAskedAndConfirmed) {
  for (const auto& [item, command] :
       {std::pair{10290, "7D 4A: 06 00"}, std::pair{10310, "7D 4A: 06 01"}}) {
    ui.QueueAnswer(ui::kAnswerOk);
    Mark();
    ASSERT_TRUE(RunOp(item));
    EXPECT_EQ(SentFactoryCommands(), Commands{command});
    EXPECT_EQ(Shown(), (std::vector{Message(11029001), Message(11029002)}));
  }
  ui.QueueAnswer(ui::kAnswerCancel);
  EXPECT_FALSE(RunOp(10290));
  EXPECT_TRUE(SentFactoryCommands().empty());
  SetFaults([](vprinter::Faults& f) { f.paperJam = true; });
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  EXPECT_FALSE(RunOp(10310));
  EXPECT_EQ(Shown().back(), Message(90000002));
}

TEST_F(MaintenanceTest, LongMaintenanceWaitsForThePrinterThenEndsMaintenance) {
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  const auto sleptBefore = clock.SleepCount();
  ASSERT_TRUE(RunOp(10300));
  EXPECT_EQ(SentFactoryCommands(), (Commands{"7D 45:", "7C 03:"}));
  EXPECT_EQ(Shown(), (std::vector{Message(11030001), Message(11030002)}));
  EXPECT_GE(clock.SleepCount() - sleptBefore, 600);  // ten minutes of work, watched
  EXPECT_LT(clock.SleepCount() - sleptBefore, 1500);
  EXPECT_EQ(WaitDialogs(), 1u);
  EXPECT_EQ(ClosedWaitDialogs(), 1u);
  EXPECT_EQ(request.done, 1);
}

TEST_F(MaintenanceTest, ThePulseGoesOffOnlyAfterTheTechnicianConfirmed) {
  // Which user-interface calls had been made when each piece of the run reached the printer.
  std::vector<std::pair<std::size_t, std::string>> pieces;
  operations::Dispatch dispatch = Dispatcher();
  dispatch.sentTap = [&](const std::uint8_t* bytes, std::size_t length) {
    pieces.emplace_back(ui.Calls().size(),
                        std::string(reinterpret_cast<const char*>(bytes), length));
  };
  request.buttonBase = kExecuteBase;
  request.itemNumber = 10380;
  Mark();
  ASSERT_TRUE(operations::RunOperation(request, dispatch));
  ASSERT_TRUE(request.operationSucceeded);
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  ASSERT_EQ(pieces.size(), 2u);
  const std::size_t messageCall = ui.Calls().size() - 1;
  EXPECT_LE(pieces[0].first, messageCall);  // on before the message
  EXPECT_GT(pieces[1].first, messageCall);  // off after it was answered
  EXPECT_EQ(pieces[0].second.substr(pieces[0].second.size() - 4),
            std::string("\x10\xEF\x08\x64", 4));
  EXPECT_EQ(pieces[1].second.substr(pieces[1].second.size() - 4),
            std::string("\x10\xEF\x08\x00", 4));
}

TEST_F(MaintenanceTest, SingleCommandsReportWhetherTheyWereSent) {
  Mark();
  ASSERT_TRUE(RunOp(10400));
  EXPECT_EQ(SentFactoryCommands(), Commands{"7C A1:"});
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  ASSERT_TRUE(RunOp(20240));
  EXPECT_EQ(SentFactoryCommands(), Commands{"7C 0A: 01"});
  EXPECT_EQ(Shown(), (std::vector{Message(12024001), Message(10000001)}));
  SetFaults([](vprinter::Faults& f) { f.paperJam = true; });  // it takes no job
  Mark();
  EXPECT_FALSE(RunOp(10400));
  EXPECT_EQ(Shown().back(), Message(90000005));
  EXPECT_EQ(WaitDialogs(), ClosedWaitDialogs());
}

TEST_F(MaintenanceTest, HotKeysMoveTheCarriageOutAndBack) {
  request.itemNumber = 10010;
  ASSERT_TRUE(RunHotKey(operations::kF11));
  EXPECT_EQ(request.operationRan, "HotKeySequenceF11");
  EXPECT_EQ(SentFactoryCommands(),
            (Commands{"7C 2F: 00", "7D 80: 00", "7D 01: 02 08 07", "7D 82: 00"}));
  ASSERT_TRUE(RunHotKey(operations::kF12));
  EXPECT_EQ(SentFactoryCommands(), (Commands{"7C 2F: 00", "7D 80: 00", "7D 82: 01",
                                             "7D 01: 02 8C 00", "7D 80: 01", "7C 2F: 01"}));
}

TEST_F(MaintenanceTest, BlockCopiesMoveTwentyRecordsAndReadThemBack) {
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 4; ++i)
      Poke(1216 + 32 * i + 128 * j, vprinter::Bytes(10, static_cast<std::uint8_t>(16 * j + i)));
  Mark();
  ASSERT_TRUE(RunOp(10260));
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Peek(2496 + 32 * i + 128 * j, 10),
                vprinter::Bytes(10, static_cast<std::uint8_t>(16 * j + i)));
  EXPECT_EQ(Peek(2496 + 10, 1), vprinter::Bytes{0xFF});  // only the records
  const Commands commands = SentFactoryCommands();
  ASSERT_GE(commands.size(), 21u);
  EXPECT_EQ(commands[0], "7C A3: 40 00 00");
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  EXPECT_EQ(request.done, 1);
  // The second copy tells the printer twice, then copies from 1856 to 3136.
  Poke(1856 + 32 * 3 + 128 * 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  ASSERT_TRUE(RunOp(10330));
  EXPECT_EQ(Peek(3136 + 32 * 3 + 128 * 4, 10), (vprinter::Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const Commands second = SentFactoryCommands();
  EXPECT_EQ(std::count(second.begin(), second.end(), "7C A3: 51 00 00"), 2);
  // A record that does not read back fails the copy without the message.
  Poke(1216 + 128 * 4, vprinter::Bytes(10, 0x77));
  SetFaults([](vprinter::Faults& f) { f.writeFailFrom = f.writeFailTo = 2496 + 128 * 4; });
  Mark();
  EXPECT_FALSE(RunOp(10260));
  EXPECT_EQ(request.lastError, -992);
  EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
  EXPECT_EQ(WaitDialogs(), ClosedWaitDialogs());
}

}  // namespace
