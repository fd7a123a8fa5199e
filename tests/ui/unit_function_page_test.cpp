// The option unit's page in the main service dialog: the unit's functions offered by name, and
// the one picked is the one the unit runs.

#include <gtest/gtest.h>

#include "support/main_dialog_fixture.h"
#include "ui/pages/unit_function_page.h"

namespace {

using UnitFunctionPageTest = testing_support::ShippedMenusFixture;

TEST_F(UnitFunctionPageTest, OffersTheUnitsFunctionsByNameStartingAtTheFirst) {
  const auto dialog = OpenAt("ILS unit");
  ASSERT_EQ(dialog->PageTemplate(), ui::kUnitFunctionTemplate);
  const ui::TStackedPage& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kUnitFunctionLabelId), "Function");
  const ui::ControlState& list = page.Item(ui::kUnitFunctionListId);
  EXPECT_EQ(list.items,
            (std::vector<std::string>{"Attachment sensor and thermosensor", "Fan check",
                                      "Mechanism cycling", "Calibration check", "Paper holder",
                                      "Tile position check", "Unit status"}));
  EXPECT_EQ(list.selection, 0);
}

TEST_F(UnitFunctionPageTest, ThePickedFunctionRunsAndTheListReturnsToTheFirst) {
  const auto dialog = OpenAt("ILS unit");
  Page(*dialog).SelectItem(ui::kUnitFunctionListId, 3);
  Mark();
  Press(*dialog, ui::kExecuteButtonId);
  EXPECT_EQ(dialog->Request().selector, 3);
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown().front(),
            (testing_support::ShownMessage{"Caliration check OK", ui::kIconInformation}));
  EXPECT_EQ(Page(*dialog).Item(ui::kUnitFunctionListId).selection, 0);

  SetFaults([](vprinter::Faults& f) { f.unitOffline = true; });
  Page(*dialog).SelectItem(ui::kUnitFunctionListId, 6);
  Mark();
  Press(*dialog, ui::kExecuteButtonId);
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown().front(), Message(90000006));
}

}  // namespace
