// The nozzle check, choice-and-status and cleaning pages in the main service dialog over the
// shipped menus, and on their own for printers and items the shipped menus do not reach.

#include <gtest/gtest.h>

#include "support/main_dialog_fixture.h"
#include "ui/pages/choice_status_page.h"
#include "ui/pages/cleaning_page.h"
#include "ui/pages/nozzle_check_page.h"

namespace {

using MaintenancePagesTest = testing_support::ShippedMenusFixture;

TEST_F(MaintenancePagesTest, NozzleCheckOffersThreeVariantsAndItsOptions) {
  const auto dialog = OpenAt("Nozzle check");
  ASSERT_EQ(dialog->PageTemplate(), ui::kNozzleCheckTemplate);
  ui::TStackedPage& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kNozzleVariantIds[0]), "Normal dots");
  EXPECT_EQ(page.GetDlgItemText(ui::kNozzleOptionIds[1]), "Second sheet");
  EXPECT_FALSE(Shows(page, ui::kNozzleVariantIds[3]));  // the file variant is not offered
  EXPECT_FALSE(Shows(page, ui::kNozzleMissingGroupId));
  EXPECT_EQ(page.IsDlgButtonChecked(ui::kNozzleVariantIds[0]), 1);
  EXPECT_EQ(page.IsDlgButtonChecked(ui::kNozzleOptionIds[0]), 0);  // as the template has it
  EXPECT_FALSE(Enables(page, ui::kNozzleOptionIds[1]));
  page.Click(ui::kNozzleVariantIds[2]);
  EXPECT_EQ(page.IsDlgButtonChecked(ui::kNozzleOptionIds[0]), 1);  // a variant sets option 1
  ASSERT_TRUE(page.CollectInput());
  EXPECT_EQ(dialog->Request().selector, 2);
  EXPECT_EQ(dialog->Request().colourFlags[0], 1);
  EXPECT_EQ(dialog->Request().colourFlags[1], 0);
  // Printed from the page: the small-dot check comes out of the printer.
  dialog->SetFocus(ui::kExecuteButtonId);
  dialog->Click(ui::kExecuteButtonId);
  dialog->WaitForOperation();
  ui.RunPosted();
  EXPECT_EQ(Printer()->PagesPrinted(), 1);
  EXPECT_EQ(Page(*dialog).IsDlgButtonChecked(ui::kNozzleVariantIds[0]), 1);  // refreshed to 0
}

TEST_F(MaintenancePagesTest, TheFileVariantTakesNoOptions) {
  operations::OperationRequest request;
  request.itemNumber = 10090;
  const auto page = PageOver(ui::kNozzleCheckTemplate, request);
  page->ShowItem(ui::kNozzleVariantIds[3], true);  // as a printer that offered it would
  page->Click(ui::kNozzleVariantIds[3]);
  EXPECT_FALSE(Enables(*page, ui::kNozzleOptionIds[0]));
  EXPECT_FALSE(Enables(*page, ui::kNozzleOptionIds[1]));
  page->Click(ui::kNozzleVariantIds[0]);
  EXPECT_TRUE(Enables(*page, ui::kNozzleOptionIds[0]));
  ASSERT_TRUE(page->CollectInput());
  EXPECT_EQ(request.selector, 0);
}

TEST_F(MaintenancePagesTest, TheStatusLineShowsTheServiceFlagOrTheChoice) {
  const std::pair<int, const char*> flags[] = {{0, "Service flag  --"}, {1, "Service flag  OFF"},
                                               {2, "Service flag  ON"}, {7, "Service flag  ON"}};
  for (const auto& [shown, text] : flags) {
    operations::OperationRequest request;
    request.itemNumber = 20060;
    request.pageText.text[0] = "Service flag";
    request.shownValues[0] = shown;
    const auto page = PageOver(ui::kChoiceStatusTemplate, request);
    EXPECT_EQ(page->GetDlgItemText(ui::kChoiceStatusId), text);
    EXPECT_FALSE(Shows(*page, ui::kChoiceIds[0]));
  }
  operations::OperationRequest request;
  request.itemNumber = 10090;
  request.pageText.text = {"Mode", "State", "Off", "On"};
  request.shownValues[0] = 2;
  const auto page = PageOver(ui::kChoiceStatusTemplate, request);
  EXPECT_EQ(page->IsDlgButtonChecked(ui::kChoiceIds[1]), 1);
  EXPECT_EQ(page->GetDlgItemText(ui::kChoiceStatusId), "On");
  EXPECT_EQ(page->GetDlgItemText(ui::kChoiceIds[0]), "Off");
  page->Click(ui::kChoiceIds[0]);
  ASSERT_TRUE(page->CollectInput());
  EXPECT_EQ(request.selector, 0);
}

TEST_F(MaintenancePagesTest, ServiceFlagPageFollowsTheSwitch) {
  Poke(11632, {0});
  const auto dialog = OpenAt("Service flag");
  ASSERT_EQ(dialog->PageTemplate(), ui::kChoiceStatusTemplate);
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kChoiceStatusId), "Service flag  OFF");
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerOk);
  dialog->SetFocus(ui::kExecuteButtonId);
  dialog->Click(ui::kExecuteButtonId);
  dialog->WaitForOperation();
  ui.RunPosted();
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kChoiceStatusId), "Service flag  ON");
}

TEST_F(MaintenancePagesTest, HeadCleaningTakesStrengthAndRowPairsToThePrinter) {
  const auto dialog = OpenAt("Head cleaning");
  ASSERT_EQ(dialog->PageTemplate(), ui::kCleaningTemplate);
  ui::TStackedPage& page = Page(*dialog);
  for (const int id : ui::kCleaningRowIds) {
    EXPECT_TRUE(Shows(page, id));  // an LW head has all five pairs
    EXPECT_EQ(page.IsDlgButtonChecked(id), 1);
  }
  page.Click(ui::kCleaningChoiceIds[2]);  // CL3
  page.Click(ui::kCleaningRowIds[1]);     // not C/M
  ui.QueueAnswer(ui::kAnswerOk);
  dialog->SetFocus(ui::kExecuteButtonId);
  dialog->Click(ui::kExecuteButtonId);
  dialog->WaitForOperation();
  ui.RunPosted();
  EXPECT_EQ(dialog->Request().selector, 2);
  EXPECT_EQ(dialog->Request().colourFlags, (std::array<int, 5>{1, 0, 1, 1, 1}));
  EXPECT_EQ(dialog->Request().done, 1);
  // CL3 of the four chosen pairs: cleanings 13, 15, 16 and 17.
  std::vector<std::string> cleanings;
  for (const std::string& line : Printer()->Log())
    if (line.rfind("head cleaning ", 0) == 0) cleanings.push_back(line.substr(14));
  EXPECT_EQ(cleanings, (std::vector<std::string>{"13", "15", "16", "17"}));
}

TEST_F(MaintenancePagesTest, EachModelShowsTheRowPairsItsHeadHas) {
  operations::OperationRequest request;
  request.itemNumber = 10100;
  request.romVersion = "NN06B1";
  Mark();
  const auto eightRows = PageOver(ui::kCleaningTemplate, request);
  for (int k = 0; k < 5; ++k)  // no Or/Gr, the other four
    EXPECT_EQ(Shows(*eightRows, ui::kCleaningRowIds[k]), k != 2) << k;
  EXPECT_TRUE(Shown().empty());
  ASSERT_TRUE(eightRows->CollectInput());
  EXPECT_EQ(request.colourFlags, (std::array<int, 5>{1, 1, 1, 1, 1}));  // its value goes along
  request.romVersion = "ZZ01A0";
  Mark();
  const auto unknown = PageOver(ui::kCleaningTemplate, request);
  for (const int id : ui::kCleaningRowIds) EXPECT_FALSE(Shows(*unknown, id));
  EXPECT_EQ(Shown(), (std::vector<testing_support::ShownMessage>{
                         {"Unknown Model", ui::kIconInformation}}));
  // Slot cleaning: two choices, the first and the third.
  request.itemNumber = 10131;
  request.pageText.text[0] = "All slots";
  request.pageText.text[1] = "Slots 3 and 10";
  const auto slots = PageOver(ui::kCleaningTemplate, request);
  EXPECT_TRUE(Shows(*slots, ui::kCleaningChoiceIds[0]));
  EXPECT_FALSE(Shows(*slots, ui::kCleaningChoiceIds[1]));
  EXPECT_TRUE(Shows(*slots, ui::kCleaningChoiceIds[2]));
  EXPECT_FALSE(Shows(*slots, ui::kCleaningChoiceIds[3]));
  EXPECT_FALSE(Shows(*slots, ui::kCleaningRowIds[0]));
  EXPECT_EQ(slots->GetDlgItemText(ui::kCleaningChoiceIds[2]), "Slots 3 and 10");
  slots->Click(ui::kCleaningChoiceIds[2]);
  ASSERT_TRUE(slots->CollectInput());
  EXPECT_EQ(request.selector, 2);  // the small variant of the slot cleaning
}

}  // namespace
