// Corrections from values measured on the adjustment sheets, and the destination write, against
// the virtual printer.

#include <gtest/gtest.h>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "operations/service_operations.h"
#include "support/service_fixture.h"

namespace {

using namespace testing_support;
using operations::kExecuteBase;
using operations::kInputBase;
namespace nv = driver::nvram;

class AdjustmentTest : public OperationsFixture {
protected:
  void SetUp() override {
    operations::AddAdjustmentOperations(table);
    operations::AddDestinationOperations(table);
    Attach("LW");
  }
  bool RunOp(int base, int item) { return Run(base, item) && request.operationSucceeded; }

  void SetPosition(std::int8_t b1, std::int8_t b2, std::int8_t b3, std::int32_t fine) {
    Poke(8519, {static_cast<std::uint8_t>(b1)});
    Poke(8517, {static_cast<std::uint8_t>(b2)});
    Poke(8515, {static_cast<std::uint8_t>(b3)});
    Poke(nv::kPositionFine, Long(static_cast<std::uint32_t>(fine)));
  }
  // The three bytes, then the fine value.
  std::vector<int> Position() {
    const vprinter::Bytes fine = Peek(nv::kPositionFine, 4);
    return {static_cast<std::int8_t>(Peek(8519, 1)[0]), static_cast<std::int8_t>(Peek(8517, 1)[0]),
            static_cast<std::int8_t>(Peek(8515, 1)[0]),
            static_cast<std::int32_t>(fine[0] | fine[1] << 8 | fine[2] << 16 | fine[3] << 24)};
  }
  std::int32_t PrdLong(int address) {
    const vprinter::Bytes b = Peek(address, 4);
    return static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24);
  }
  bool Position(double m1, double m2, double m3, double m4) {
    request.measured = {m1, m2, m3, m4};
    request.done = 0;
    return RunOp(kInputBase, 10040);
  }
};

TEST_F(AdjustmentTest, PositionInputMovesEachLineByWhatWasMeasured) {
  SetPosition(3, -2, 0, 100);
  Mark();
  ASSERT_TRUE(Position(15.0, 15.0, 15.0, 14.0));  // as printed: nothing moves
  EXPECT_EQ(Position(), (std::vector<int>{3, -2, 0, 100}));
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  EXPECT_EQ(request.done, 1);
  // One millimetre is 7.09 steps of 1/180 inch and 113.4 of 1/2880 inch; the third line and
  // the fine value move the other way round.
  ASSERT_TRUE(Position(16.0, 14.0, 16.0, 15.0));
  EXPECT_EQ(Position(), (std::vector<int>{-4, 5, 7, 213}));
  ASSERT_TRUE(Position(14.5, 15.0, 15.0, 13.5));  // 3.54 and -56.7 round to 4 and -57
  EXPECT_EQ(Position(), (std::vector<int>{0, 5, 7, 156}));
}

TEST_F(AdjustmentTest, PositionInputOutsideItsRangesWritesNothing) {
  SetPosition(35, 0, 0, 500);
  const std::vector<int> before = Position();
  const std::pair<std::array<double, 4>, int> refused[] = {
      {{9.9, 15, 15, 14}, -936},  {{15, 20.1, 15, 14}, -936},
      {{15, 15, 9.5, 14}, -936},  {{15, 15, 15, 8.9}, -937},
      {{15, 15, 15, 19.2}, -937}, {{14, 15, 15, 14}, -938},  // 35 + 7 leaves -40..40
      {{15, 15, 15, 15}, -938}};  // 500 + 113 leaves -560..560, though the bytes would fit
  for (const auto& [measured, code] : refused) {
    Mark();
    EXPECT_FALSE(Position(measured[0], measured[1], measured[2], measured[3]));
    EXPECT_EQ(request.lastError, code) << measured[0] << " " << measured[3];
    EXPECT_EQ(Position(), before);
    EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
    EXPECT_EQ(request.done, 0);
  }
  // The edges are inside.
  SetPosition(0, 0, 0, 100);
  EXPECT_TRUE(Position(10, 20, 10, 9));
  EXPECT_EQ(Position(), (std::vector<int>{35, -35, -35, 100 - 567}));
}

TEST_F(AdjustmentTest, PositionValuesThatDoNotReadBackFail) {
  SetPosition(0, 0, 0, 0);
  SetFaults([](vprinter::Faults& f) { f.writeFailFrom = f.writeFailTo = nv::kPositionFine + 2; });
  Mark();
  EXPECT_FALSE(Position(15, 15, 15, 15));
  EXPECT_EQ(request.lastError, -992);
  EXPECT_EQ(request.done, 0);
  EXPECT_EQ(Shown(), std::vector<ShownMessage>{});
}

TEST_F(AdjustmentTest, FeedInputOf508ResetsTheFeedValuesWithoutReadingThem) {
  Poke(nv::kFeedScale, Long(1234567));
  Poke(nv::kFeedLength, Long(7));
  SetFaults([](vprinter::Faults& f) {
    f.readFailFrom = nv::kFeedScale;
    f.readFailTo = nv::kFeedLengthBefore + 3;
  });
  request.measured[0] = 508.0;
  sent.clear();
  ASSERT_TRUE(RunOp(kInputBase, 10170));
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(PrdLong(nv::kFeedScale), 1000000);
  EXPECT_EQ(PrdLong(nv::kFeedLength), 990600);
  EXPECT_EQ(PrdLong(nv::kFeedLengthBefore), 990600);
  // One write of twelve bytes: 1000000, 990600, 990600, least significant first.
  const std::string twelve("\x40\x42\x0F\x00\x88\x1D\x0F\x00\x88\x1D\x0F\x00", 12);
  EXPECT_NE(sent.find(std::string("\x0C") + twelve), std::string::npos);
}

TEST_F(AdjustmentTest, FeedInputRescalesFromTheMeasuredLength) {
  Poke(nv::kFeedScale, Long(1000000));
  Poke(nv::kFeedLength, Long(1000000));
  request.measured[0] = 512.5;
  ASSERT_TRUE(RunOp(kInputBase, 10170));
  EXPECT_EQ(PrdLong(nv::kFeedScale), 990600);          // 1 x 990600 / 1000000, in millionths
  EXPECT_EQ(PrdLong(nv::kFeedLength), 999375);         // 512.5 x 1950, rounded
  EXPECT_EQ(PrdLong(nv::kFeedLengthBefore), 1000000);  // the length before
  EXPECT_EQ(request.shownValues[0], 999375);
  EXPECT_EQ(request.done, 1);
  // Scale 1.2 made for 1188720: 1.2 x 990600 / 1188720 = 1.0 exactly, 1000000 after rounding.
  Poke(nv::kFeedScale, Long(1200000));
  Poke(nv::kFeedLength, Long(1188720));
  request.measured[0] = 500.0;
  ASSERT_TRUE(RunOp(kInputBase, 10170));
  EXPECT_EQ(PrdLong(nv::kFeedScale), 1000000);
  EXPECT_EQ(PrdLong(nv::kFeedLength), 975000);
}

TEST_F(AdjustmentTest, FeedInputOverALengthOfZeroWritesNothing) {
  Poke(nv::kFeedScale, Long(1000000));
  Poke(nv::kFeedLength, Long(0));
  request.measured[0] = 500.0;
  EXPECT_FALSE(RunOp(kInputBase, 10170));
  EXPECT_EQ(request.lastError, -938);
  EXPECT_EQ(PrdLong(nv::kFeedScale), 1000000);
  EXPECT_EQ(PrdLong(nv::kFeedLengthBefore), 990600);
  // Nor over a negative one, though its scale would fit.
  Poke(nv::kFeedLength, Long(static_cast<std::uint32_t>(-1000000)));
  EXPECT_FALSE(RunOp(kInputBase, 10170));
  EXPECT_EQ(request.lastError, -938);
  EXPECT_EQ(PrdLong(nv::kFeedScale), 1000000);
  // A scale that does not read back fails with -992.
  Poke(nv::kFeedLength, Long(1000000));
  SetFaults([](vprinter::Faults& f) { f.writeFailFrom = f.writeFailTo = nv::kFeedScale; });
  EXPECT_FALSE(RunOp(kInputBase, 10170));
  EXPECT_EQ(request.lastError, -992);
}

TEST_F(AdjustmentTest, HeightInputCorrectsFromTheMeanOfTwoHeights) {
  Poke(nv::kHeightCorrection, Long(100));
  request.measured = {0, 14.0, 15.0, 0};  // mean 14.5: 0.5 mm is 226.8 steps, cut to 226
  ASSERT_TRUE(RunOp(kInputBase, 10340));
  EXPECT_EQ(PrdLong(nv::kHeightCorrection), 326);
  EXPECT_EQ(request.done, 1);
  request.done = 0;
  request.measured = {0, 18.0, 17.0, 0};  // mean 17.5: -1133.9, cut to -1133
  ASSERT_TRUE(RunOp(kInputBase, 10340));
  EXPECT_EQ(PrdLong(nv::kHeightCorrection), 326 - 1133);
  // Outside 12..18: the message, nothing read or written.
  for (const auto& heights : {std::array<double, 2>{11.9, 15}, std::array<double, 2>{15, 18.1}}) {
    request.measured = {0, heights[0], heights[1], 0};
    Mark();
    EXPECT_FALSE(RunOp(kInputBase, 10340));
    EXPECT_EQ(Shown(), std::vector{Message(91034001)});
  }
  EXPECT_EQ(PrdLong(nv::kHeightCorrection), -807);
  // A result outside -1360..1360 is refused.
  Poke(nv::kHeightCorrection, Long(1300));
  request.measured = {0, 12.0, 12.0, 0};
  EXPECT_FALSE(RunOp(kInputBase, 10340));
  EXPECT_EQ(request.lastError, -938);
  EXPECT_EQ(PrdLong(nv::kHeightCorrection), 1300);
}

}  // namespace

namespace {

class DestinationTest : public AdjustmentTest {
protected:
  // A board fresh from the shelf: lists not set up, no destination.
  void NewBoard() {
    Poke(nv::kBoardInitialised, {0});
    Poke(nv::kDestinationSet, {0});
    for (const int address : nv::kDestinationBytes) Poke(address, {0xFF});
    Poke(nv::kDestinationCode, {0xFF});
    Poke(nv::kDestinationOption, {0xFF});
    Poke(nv::kServiceFlag, {1});
  }
  bool SetDestination() {
    ui.QueueAnswer(ui::kAnswerOk);
    request.done = 0;
    return RunOp(kExecuteBase, 30020);
  }
  vprinter::Bytes Record() {
    vprinter::Bytes bytes;
    for (const int address : nv::kDestinationBytes) bytes.push_back(Peek(address, 1)[0]);
    bytes.push_back(Peek(nv::kDestinationCode, 1)[0]);
    bytes.push_back(Peek(nv::kDestinationOption, 1)[0]);
    return bytes;
  }
  static vprinter::Bytes Program() {
    const auto record = *driver::FindDestination(driver::kProgramDestination);
    return vprinter::Bytes(record.begin(), record.end());
  }
};

TEST_F(DestinationTest, ANewBoardGetsTheProgramsDestinationAndItsFlags) {
  NewBoard();
  Mark();
  ASSERT_TRUE(SetDestination());
  EXPECT_EQ(Shown(), (std::vector{Message(13002001), Message(10000004)}));
  EXPECT_EQ(Record(), Program());
  EXPECT_EQ(Record(), (vprinter::Bytes{0, 2, 1, 1, 0, 1, 2, 1}));
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{1});
  EXPECT_EQ(Peek(nv::kDestinationSet, 1), vprinter::Bytes{1});
  EXPECT_EQ(Peek(nv::kServiceFlag, 1), vprinter::Bytes{0});
  EXPECT_EQ(Printer()->Snapshot().listA3[0], 0xFF);  // the lists were erased
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::Wait).size(), 1u);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::WaitClosed).size(), 1u);
  // Run again: the board has the program's destination, which it keeps; a second is given to
  // the board flag and to each of the last two bytes.
  const auto sleepsBefore = clock.SleepCount();
  ASSERT_TRUE(SetDestination());
  EXPECT_EQ(clock.SleepCount() - sleepsBefore, 3);
}

TEST_F(DestinationTest, ABoardWithAnotherDestinationIsLeftAsItIs) {
  Poke(nv::kDestinationBytes[2], {3});
  Mark();
  EXPECT_FALSE(SetDestination());
  EXPECT_EQ(Shown(), (std::vector{Message(13002001), Message(93002001)}));
  EXPECT_EQ(Peek(nv::kDestinationBytes[2], 1), vprinter::Bytes{3});
  EXPECT_EQ(request.done, 0);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::WaitClosed).size(), 1u);
}

TEST_F(DestinationTest, BytesThatDoNotReadBackFailWith91020004) {
  // One byte of the group, or the group and byte 169 together.
  for (const auto& [from, to] : {std::pair{163, 163}, std::pair{162, 169}}) {
    NewBoard();
    SetFaults([from, to](vprinter::Faults& f) {
      f.writeFailFrom = from;
      f.writeFailTo = to;
    });
    Mark();
    EXPECT_FALSE(SetDestination());
    EXPECT_EQ(Shown(), (std::vector{Message(13002001), Message(91020004)}));
    EXPECT_EQ(Peek(nv::kDestinationSet, 1), vprinter::Bytes{0});  // not marked as set
    EXPECT_EQ(request.done, 0);
  }
  SetFaults([](vprinter::Faults& f) { f.writeFailFrom = f.writeFailTo = nv::kDestinationOption; });
  NewBoard();
  Mark();
  EXPECT_FALSE(SetDestination());
  EXPECT_EQ(Shown(), (std::vector{Message(13002001), Message(91020004)}));
}

// Bytes the board takes but does not keep are a read-back difference: -992 as well as the message.
TEST_F(DestinationTest, BytesThatDoNotStickAreAReadBackDifference) {
  for (const int address : {nv::kDestinationBytes[1], nv::kDestinationBytes[5], nv::kDestinationSet,
                            nv::kDestinationOption}) {
    SCOPED_TRACE(address);
    NewBoard();
    SetFaults([address](vprinter::Faults& f) { f.stuckFrom = f.stuckTo = address; });
    Mark();
    EXPECT_FALSE(SetDestination());
    EXPECT_EQ(Shown().back(), Message(address == nv::kDestinationSet ? 91020006 : 91020004));
    EXPECT_EQ(request.lastError, -992);
    EXPECT_EQ(request.done, 0);
    SetFaults([](vprinter::Faults& f) { f = {}; });
  }
}

TEST_F(DestinationTest, ListsThatCannotBeErasedOrAnUnreadableFlagStopIt) {
  NewBoard();
  SetFaults([](vprinter::Faults& f) { f.eraseFails = true; });
  Mark();
  EXPECT_FALSE(SetDestination());
  EXPECT_EQ(Shown(), (std::vector{Message(13002001), Message(91020006)}));
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{0});
  // A flag that cannot be read erases nothing.
  const std::vector<std::uint8_t> lists = Printer()->Snapshot().listA3;
  SetFaults([](vprinter::Faults& f) {
    f.eraseFails = false;
    f.readFailFrom = f.readFailTo = nv::kBoardInitialised;
  });
  Mark();
  EXPECT_FALSE(SetDestination());
  EXPECT_EQ(Shown(), (std::vector{Message(13002001), Message(90000005)}));
  EXPECT_EQ(Printer()->Snapshot().listA3, lists);
  // Cancelled at the question: nothing happens.
  SetFaults([](vprinter::Faults& f) { f.readFailFrom = f.readFailTo = -1; });
  ui.QueueAnswer(ui::kAnswerCancel);
  Mark();
  EXPECT_FALSE(RunOp(kExecuteBase, 30020));
  EXPECT_EQ(Shown(), std::vector{Message(13002001)});
  EXPECT_EQ(Peek(nv::kDestinationSet, 1), vprinter::Bytes{0});
}

}  // namespace
