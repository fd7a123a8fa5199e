// The option unit's service functions against the virtual printer's unit.

#include <gtest/gtest.h>

#include "operations/service_operations.h"
#include "support/service_fixture.h"

namespace {

using namespace testing_support;
using operations::kExecuteBase;

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
  EXPECT_EQ(Boxes(), (std::vector<Box>{{"FINISH", ui::kIconInformation},
                                       {"Please check the Paper Holder condition.", ui::kIconWarning},
                                       {"FINISH", ui::kIconInformation}}));
  EXPECT_EQ(ui.Calls(ui::UiCallKind::Wait).size(), ui.Calls(ui::UiCallKind::WaitClosed).size());
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
  EXPECT_EQ(Boxes().back(), (std::pair<std::string, unsigned>{
                                "ERROR:ILS Calibration\r\nPlease check the calibration tile or ILS.",
                                ui::kIconError}));
  SetFaults([](vprinter::Faults& f) { f.unitOffline = true; });
  Mark();
  EXPECT_FALSE(Function(6));
  EXPECT_EQ(Shown(), std::vector{Message(90000006)});
  EXPECT_FALSE(Function(9));  // no such function
}

}  // namespace
