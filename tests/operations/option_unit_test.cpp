// The option unit's service functions against the virtual printer's unit.

#include <gtest/gtest.h>

#include "driver/nvram_map.h"
#include "operations/service_operations.h"
#include "support/service_fixture.h"

namespace {

using namespace testing_support;
using operations::kExecuteBase;

// Into remote mode, load and job end, out again, then ESC @.
const std::string kLeaveRemoteMode("\x1B(R\x08\x00\x00REMOTE1"
                                   "LD\x00\x00JE\x01\x00\x00"
                                   "\x1B\x00\x00\x00\x1B@",
                                   28);

class OptionUnitTest : public OperationsFixture {
protected:
  void SetUp() override {
    operations::AddOptionUnitOperations(table);
    Attach("LW");
  }
  bool Function(int selector) {
    request.selector = selector;
    return Run(kExecuteBase, 10410) && request.operationSucceeded;
  }
  std::vector<std::pair<std::string, unsigned>> Boxes() {
    std::vector<std::pair<std::string, unsigned>> boxes;
    for (const ui::UiCall& call : ui.Calls(ui::UiCallKind::MessageBox))
      boxes.emplace_back(call.text, call.style & ui::kIconMask);
    return boxes;
  }
};

TEST_F(OptionUnitTest, FanMechanismAndPaperHolderRunOnAReadyUnit) {
  EXPECT_TRUE(Function(1));
  EXPECT_TRUE(Function(2));
  EXPECT_TRUE(Function(4));
  using Box = std::pair<std::string, unsigned>;
  EXPECT_EQ(Boxes(),
            (std::vector<Box>{{"FINISH", ui::kIconInformation},
                              {"Please check the Paper Holder condition.", ui::kIconWarning},
                              {"FINISH", ui::kIconInformation}}));
  const auto waits = ui.Calls(ui::UiCallKind::Wait);
  EXPECT_EQ(waits.size(), ui.Calls(ui::UiCallKind::WaitClosed).size());
  ASSERT_FALSE(waits.empty());
  EXPECT_EQ(waits.front().text, "Checking");  // not the name of the first function
}

TEST_F(OptionUnitTest, AnOfflineUnitFailsItsInitialisation) {
  SetFaults([](vprinter::Faults& f) { f.unitOffline = true; });
  EXPECT_FALSE(Function(1));
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().back(),
            (std::pair<std::string, unsigned>{"ERROR : Intialize is failure.", ui::kIconError}));
}

TEST_F(OptionUnitTest, CalibrationAndStatusChecks) {
  EXPECT_TRUE(Function(3));
  EXPECT_EQ(Boxes().back().first, "Caliration check OK");
  SetFaults([](vprinter::Faults& f) { f.unitCalibrationFails = true; });
  EXPECT_FALSE(Function(3));
  EXPECT_EQ(
      Boxes().back(),
      (std::pair<std::string, unsigned>{
          "ERROR:ILS Calibration\r\nPlease check the calibration tile or ILS.", ui::kIconError}));
  SetFaults([](vprinter::Faults& f) { f.unitOffline = true; });
  Mark();
  EXPECT_FALSE(Function(6));
  EXPECT_EQ(Shown(), std::vector{Message(90000006)});
  EXPECT_FALSE(Function(9));  // no such function
}

}  // namespace

namespace {

class ThermosensorTest : public OptionUnitTest {
protected:
  void Unit(int temperature, const std::string& lamp) {
    Printer()->ChangeUnit([&](vprinter::UnitState& u) {
      u.temperature = temperature;
      u.lamp = lamp;
    });
  }
  std::string LastText() { return Boxes().empty() ? "" : Boxes().back().first; }
};

TEST_F(ThermosensorTest, AReadingWithinTheToleranceClearsTheCorrection) {
  Unit(27, "on,off,off,on");
  Poke(driver::nvram::kUnitCorrection, {0x14}, true);
  ui.QueueTemperature(24.6);
  ASSERT_TRUE(Function(0));
  const auto boxes = Boxes();
  ASSERT_GE(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].first, "OK!! : Attachment sensor OFF.");
  EXPECT_EQ(boxes[1], (std::pair<std::string, unsigned>{"Please set the sensor.", 0}));
  EXPECT_EQ(boxes[2].first, "OK!! : Attachment sensor ON.");
  EXPECT_EQ(boxes[3].first,
            "OK : Termosensor.\r\nSensor Temp = 27.000000 / Correct value = 0.00\r\nInput Temp = "
            "24.600000\r\nCorrect Temp = 27.000000");
  EXPECT_EQ(Peek(driver::nvram::kUnitCorrection, 1, true), vprinter::Bytes{0});
}

TEST_F(ThermosensorTest, ATooWarmReadingIsWarnedThenCorrectedByADegree) {
  Unit(28, "off,on");
  for (int k = 0; k < 3; ++k) ui.QueueTemperature(25.0);
  ASSERT_TRUE(Function(0));
  const auto boxes = Boxes();
  ASSERT_GE(boxes.size(), 3u);
  EXPECT_EQ(boxes[boxes.size() - 3].first.substr(0, 40),
            "NG1: Please check the temperature again.");
  EXPECT_EQ(boxes[boxes.size() - 3].second, ui::kIconWarning);
  EXPECT_EQ(boxes[boxes.size() - 2].first,
            "NG1: Adjust  the temperature\r\nPlease check the temperature again.\r\nSensor Temp = "
            "28.00 / Correct value = -1.00\r\nInput Temp = 25.00");
  EXPECT_EQ(boxes.back().first.substr(0, 17), "OK : Termosensor\r");
  EXPECT_EQ(Peek(driver::nvram::kUnitCorrection, 1, true), vprinter::Bytes{0xF6});
  EXPECT_EQ(
      RecordedMeasurements(),
      (std::vector<std::string>{
          "Thermosensor S 28\u00B0C [-, -] pass", "Thermosensor T 25\u00B0C [-, -] pass",
          "Thermosensor C -1\u00B0C [-, -] pass", "Thermosensor D 2\u00B0C [-2.5, 2.5] pass"}));
  // Still three degrees off after the correction: refused.
  Unit(30, "off,on");
  for (int k = 0; k < 3; ++k) ui.QueueTemperature(25.0);
  EXPECT_FALSE(Function(0));
  EXPECT_EQ(LastText().substr(0, 18), "NG2 : Termosensor\r");
  EXPECT_EQ(Boxes().back().second, ui::kIconError);
  EXPECT_EQ(RecordedMeasurements().back(), "Thermosensor D 4\u00B0C [-2.5, 2.5] fail");
}

// The correction byte counts in tenths of a degree with 128 as +12.8 (cut to +12), and 129 and
// above as negative.
TEST_F(ThermosensorTest, TheCorrectionByteReadsAsSignedTenthsWith128Positive) {
  for (const auto& [stored, shown] : {std::pair<std::uint8_t, const char*>{0x80, "12.00"},
                                      std::pair<std::uint8_t, const char*>{0x81, "-12.00"}}) {
    Unit(28, "off,on");
    for (int k = 0; k < 3; ++k) ui.QueueTemperature(25.0);
    // While the unit takes its new correction, a trainer stores another one.
    const std::uint8_t value = stored;
    clock.OnSleep([this, value] { Poke(driver::nvram::kUnitCorrection, {value}, true); });
    Function(0);
    clock.OnSleep({});
    const auto boxes = Boxes();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_NE(boxes[boxes.size() - 2].first.find(std::string("Correct value = ") + shown),
              std::string::npos)
        << boxes[boxes.size() - 2].first;
  }
}

// 2.5 degrees apart still agree; a tenth more is warned about.
TEST_F(ThermosensorTest, TheToleranceIncludesTwoAndAHalfDegrees) {
  Unit(27, "off,on");
  ui.QueueTemperature(24.5);
  EXPECT_TRUE(Function(0));
  EXPECT_EQ(LastText().substr(0, 17), "OK : Termosensor.");
  Unit(27, "off,on");
  ui.QueueTemperature(24.4);
  ui.QueueTemperature(std::nullopt);
  EXPECT_FALSE(Function(0));
  EXPECT_EQ(LastText().substr(0, 40), "NG1: Please check the temperature again.");
}

// The lamp is read eleven times before the technician is told to remove the sensor.
TEST_F(ThermosensorTest, TheLampIsGivenElevenReadsAChance) {
  const auto lampAfter = [](int onReads) {
    std::string lamp;
    for (int k = 0; k < onReads; ++k) lamp += "on,";
    return lamp + "off,on";
  };
  Unit(27, lampAfter(10));
  ui.QueueTemperature(std::nullopt);
  Function(0);
  EXPECT_EQ(Boxes().front().first, "OK!! : Attachment sensor OFF.");
  Mark();
  Unit(27, lampAfter(11));
  ui.QueueTemperature(std::nullopt);
  Function(0);
  const auto shown = Shown();
  ASSERT_GE(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "ERROR!! : Attachment sensor.\r\nPlease remove the SENSOR.");
  EXPECT_EQ(shown[1].text, "OK!! : Attachment sensor OFF.");
}

TEST_F(ThermosensorTest, BrokenSensorsAndAMissingAttachmentStopIt) {
  Unit(50, "off,on");
  ui.QueueTemperature(25.0);
  EXPECT_FALSE(Function(0));
  EXPECT_EQ(LastText(), "NG2 : Termosensor 50.000000");
  Unit(27, "on");  // the sensor never reads off
  EXPECT_FALSE(Function(0));
  const auto boxes = Boxes();
  EXPECT_EQ(boxes[boxes.size() - 2].first,
            "ERROR!! : Attachment sensor.\r\nPlease remove the SENSOR.");
  EXPECT_EQ(boxes.back().first, "ERROR!! : Attachment sensor.\r\nPlease repair.");
  Unit(27, "off,on");
  ui.QueueTemperature(std::nullopt);  // cancelled
  EXPECT_FALSE(Function(0));
  EXPECT_EQ(LastText(), "OK!! : Attachment sensor ON.");
}

}  // namespace

namespace {

class TileCheckTest : public OptionUnitTest {
protected:
  void Tile(int position, std::array<double, 3> lab) {
    Printer()->ChangeUnit([&](vprinter::UnitState& u) { u.tiles[position] = lab; });
  }
  std::string LastText() { return Boxes().empty() ? "" : Boxes().back().first; }
};

TEST_F(TileCheckTest, TheWhiteTileMustMatchOneOfItsNeighbours) {
  ASSERT_TRUE(Function(5));
  EXPECT_EQ(LastText(), "Tile position check OK.");
  EXPECT_EQ(Printer()->Snapshot().unit.tilePosition, 12);  // all five were measured
  Tile(4, {94.0, -0.5, 1.0});  // 0.2 from the tile at 6: one neighbour off is still fine
  ASSERT_TRUE(Function(5));
  EXPECT_EQ(LastText(), "Tile position check OK.");
  Tile(8, {94.2, -0.1, 1.2});  // both off
  sent.clear();
  EXPECT_FALSE(Function(5));
  EXPECT_EQ(LastText().substr(0, 35), "ERROR : Tile position check. DE64=0");
  const std::vector<std::string> measured = RecordedMeasurements();
  ASSERT_EQ(measured.size(), 2u);
  EXPECT_EQ(measured[0].substr(0, 7), "DE64 0.");
  EXPECT_TRUE(measured[0].ends_with(" [-, 0.15] fail")) << measured[0];
  EXPECT_TRUE(measured[1].ends_with(" [-, 0.15] fail")) << measured[1];
  EXPECT_EQ(Boxes().back().second, ui::kIconError);
  EXPECT_TRUE(sent.ends_with(kLeaveRemoteMode));
}

TEST_F(TileCheckTest, AnEmptyColorimetryReplyEndsTheCheck) {
  SetFaults([](vprinter::Faults& f) { f.unitColorimetryFails = true; });
  sent.clear();
  EXPECT_FALSE(Function(5));
  EXPECT_EQ(LastText(), "ERROR : Colorimetry scan.");
  EXPECT_TRUE(sent.ends_with(kLeaveRemoteMode));
  EXPECT_EQ(Printer()->Snapshot().unit.tilePosition, 0);  // the first tile only
}

}  // namespace
