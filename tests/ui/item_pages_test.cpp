// The item pages of the main service dialog, driven the way a technician works them: select the
// item in the shipped menus, type into the page, press a button, and look at what the page, the
// request and the virtual printer show afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "operations/service_record.h"
#include "support/main_dialog_fixture.h"
#include "ui/pages/bid_page.h"
#include "ui/pages/clock_page.h"
#include "ui/pages/counter_reset_page.h"
#include "ui/pages/head_id_page.h"
#include "ui/pages/mac_address_page.h"
#include "ui/pages/measured_values_page.h"
#include "ui/pages/nvram_copy_page.h"
#include "ui/pages/service_record_page.h"
#include "ui/pages/text_input_page.h"
#include "vprinter/page_renderer.h"

namespace {

using ItemPagesTest = testing_support::ShippedMenusFixture;

TEST_F(ItemPagesTest, BidGridShowsThePrinterValuesAndCollectsInputsChecksAndPg) {
  Poke(313, {0xFE});
  Poke(331, {3});
  const auto dialog = OpenAt("Bi-D adjustment");
  ASSERT_EQ(dialog->PageTemplate(), ui::kBidTemplate);
  ui::CDialog& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kBidRowLabelIds[0]), "Black");
  EXPECT_EQ(page.GetDlgItemText(ui::kBidRowLabelIds[1]), "Colour");
  EXPECT_EQ(page.GetDlgItemText(ui::kBidShownIds[0]), "-2");
  EXPECT_EQ(page.GetDlgItemText(ui::kBidShownIds[5]), "3");
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(page.GetDlgItemText(ui::kBidInputIds[k]), "0");
    EXPECT_EQ(page.IsDlgButtonChecked(ui::kBidCheckIds[k]), 1);
    EXPECT_EQ(page.GetDlgItemText(ui::kBidCheckIds[k]), "VSD" + std::to_string(k % 3 + 1));
  }
  EXPECT_EQ(page.IsDlgButtonChecked(ui::kBidPgNoneId), 1);
  EXPECT_EQ(page.GetDlgItemText(ui::kBidPgTypeId), "PG Typ");

  for (int k = 0; k < 6; ++k) page.EditText(ui::kBidInputIds[k], std::to_string(k - 2));
  page.Click(ui::kBidCheckIds[0]);
  page.Click(ui::kBidCheckIds[2]);
  page.Click(ui::kBidPgTypeId);
  ASSERT_TRUE(dialog->CurrentPage()->page->CollectInput());
  const operations::OperationRequest& request = dialog->Request();
  EXPECT_EQ(request.selector, 0);
  EXPECT_EQ(request.colourFlags, (std::array<int, 5>{1, 0, 1, 1, 1}));
  EXPECT_EQ((std::vector<int>(request.enteredValues.begin(), request.enteredValues.begin() + 6)),
            (std::vector<int>{-2, -1, 0, 1, 2, 3}));
  EXPECT_EQ(request.pgChoice, 1);
}

TEST_F(ItemPagesTest, BidInputThatIsNoNumberKeepsItsValueAndTheRunGoesAhead) {
  const auto dialog = OpenAt("Bi-D adjustment");
  ui::CDialog& page = Page(*dialog);
  page.EditText(ui::kBidInputIds[0], "4");
  ASSERT_TRUE(dialog->CurrentPage()->page->CollectInput());
  page.EditText(ui::kBidInputIds[0], "x");
  Mark();
  EXPECT_TRUE(dialog->CurrentPage()->page->CollectInput());
  EXPECT_EQ(dialog->Request().enteredValues[0], 4);
  EXPECT_EQ(
      Shown(),
      (std::vector<testing_support::ShownMessage>{{"Please enter an integer.", ui::kIconWarning}}));
}

TEST_F(ItemPagesTest, PagesOfAMissingPrinterAreDisabled) {
  const auto dialog = OpenAt("Bi-D adjustment");
  Printer()->SetFaults([] {
    vprinter::Faults f;
    f.disconnected = true;
    return f;
  }());
  const auto missing = OpenAt("MAC address");
  EXPECT_EQ(missing->Request().printerMissing, 1);
  for (const int id : ui::kMacEditIds) EXPECT_FALSE(Enables(Page(*missing), id));
  EXPECT_FALSE(Enables(Page(*missing), ui::kMacUnlockId));
  const auto bid = OpenAt("Bi-D adjustment");
  for (const int id : ui::kBidInputIds) EXPECT_FALSE(Enables(Page(*bid), id));
  EXPECT_TRUE(Enables(Page(*dialog), ui::kBidInputIds[0]));  // opened while it was there
}

TEST_F(ItemPagesTest, FeedLengthIsANumberOrEmptyFor508) {
  const auto dialog = OpenAt("Feed correction");
  ASSERT_EQ(dialog->PageTemplate(), ui::kMeasuredTemplate);
  ui::CDialog& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kMeasuredEditIds[1]), "508");
  EXPECT_EQ(page.GetDlgItemText(ui::kMeasuredLabelIds[1]), "Measured length (mm)");
  for (int row : {0, 2, 3}) EXPECT_FALSE(Shows(page, ui::kMeasuredEditIds[row]));
  auto& request = dialog->Request();
  const std::pair<const char*, double> accepted[] = {{"", 508.0}, {"512.5", 512.5}};
  for (const auto& [text, value] : accepted) {
    page.EditText(ui::kMeasuredEditIds[1], text);
    ASSERT_TRUE(dialog->CurrentPage()->page->CollectInput());
    EXPECT_EQ(request.measured[0], value);
  }
  page.EditText(ui::kMeasuredEditIds[1], "5x");
  Mark();
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ(Shown(), std::vector{Message(90000010)});
  EXPECT_EQ(request.operationRan, "");  // the run did not start
  // 508 from the page resets the printer's feed values.
  Poke(driver::nvram::kFeedScale, Long(7));
  page.EditText(ui::kMeasuredEditIds[1], "");
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ(request.operationRan, "ApplyFeedCorrectionInput");
  EXPECT_EQ(Peek(driver::nvram::kFeedScale, 4), Long(1000000));
}

TEST_F(ItemPagesTest, PositionBoxesLeftEmptyAreMarked) {
  const auto dialog = OpenAt("Head position");
  ui::CDialog& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kMeasuredLabelIds[0]), "Line A (mm)");
  EXPECT_EQ(page.GetDlgItemText(ui::kMeasuredLabelIds[3]), "Line G (mm)");
  page.EditText(ui::kMeasuredEditIds[1], "14.25");  // box 1358 only
  auto& request = dialog->Request();
  request.selector = 5;
  ASSERT_TRUE(dialog->CurrentPage()->page->CollectInput());
  EXPECT_EQ(request.selector, 1);
  EXPECT_EQ(request.colourFlags[0], 1);
  EXPECT_EQ(request.colourFlags[1], 0);
  EXPECT_EQ(request.colourFlags[2], 1);
  EXPECT_EQ(request.measured[1], 14.25);
  // All four as printed: the run writes them back unchanged and says so.
  const char* nominal[4] = {"15", "15", "15", "14"};
  for (int row = 0; row < 4; ++row) page.EditText(ui::kMeasuredEditIds[row], nominal[row]);
  const vprinter::Bytes before = Peek(8515, 5);
  Mark();
  Press(*dialog, ui::kInputButtonId);
  EXPECT_TRUE(request.operationSucceeded);
  EXPECT_EQ(Shown(), std::vector{Message(10000001)});
  EXPECT_EQ(Peek(8515, 5), before);
  EXPECT_EQ(request.colourFlags, (std::array<int, 5>{0, 0, 0, 0, 0}));
  // A printed sheet marks the step done; an input run does not.
  EXPECT_EQ(request.printFinished, 0);
  Press(*dialog, ui::kExecuteButtonId);
  EXPECT_EQ(request.printFinished, 1);
}

TEST_F(ItemPagesTest, HeightPageTakesTwoHeightsInTheTopRows) {
  const auto dialog = OpenAt("Head height");
  ui::CDialog& page = Page(*dialog);
  EXPECT_TRUE(Shows(page, ui::kMeasuredEditIds[0]));
  EXPECT_TRUE(Shows(page, ui::kMeasuredEditIds[3]));
  EXPECT_FALSE(Shows(page, ui::kMeasuredEditIds[1]));
  EXPECT_EQ(page.Item(ui::kMeasuredEditIds[3]).rect.y, page.Item(ui::kMeasuredEditIds[1]).rect.y);
  page.EditText(ui::kMeasuredEditIds[0], "14");
  page.EditText(ui::kMeasuredEditIds[3], "15");
  Poke(driver::nvram::kHeightCorrection, Long(100));
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ(dialog->Request().measured[1], 14.0);
  EXPECT_EQ(dialog->Request().measured[2], 15.0);
  EXPECT_EQ(Peek(driver::nvram::kHeightCorrection, 4), Long(326));
}

TEST_F(ItemPagesTest, MacPageOffersTheProgramsPrefixAndMovesOnWhenAFieldIsFull) {
  const auto dialog = OpenAt("MAC address");
  ASSERT_EQ(dialog->PageTemplate(), ui::kMacTemplate);
  ui::CDialog& page = Page(*dialog);
  const vprinter::Bytes mac = Peek(driver::nvram::kMacAddress, 6);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", mac[5]);
  EXPECT_EQ(page.GetDlgItemText(ui::kMacShownIds[5]), hex);
  const auto& prefix = driver::kMacVendorPrefix;
  for (int k = 0; k < 3; ++k) {
    std::snprintf(hex, sizeof hex, "%02X", prefix[static_cast<std::size_t>(k)]);
    EXPECT_EQ(page.GetDlgItemText(ui::kMacEditIds[k]), hex);
    EXPECT_TRUE(page.Item(ui::kMacEditIds[k]).readOnly);
    EXPECT_EQ(page.GetDlgItemText(ui::kMacEditIds[k + 3]), "");
    EXPECT_FALSE(page.Item(ui::kMacEditIds[k + 3]).readOnly);
  }
  // The typing aid: two characters move the focus on, except in the last field.
  page.SetFocus(ui::kMacEditIds[3]);
  page.EditText(ui::kMacEditIds[3], "2");
  EXPECT_EQ(page.Focus(), ui::kMacEditIds[3]);
  page.EditText(ui::kMacEditIds[3], "2d");
  EXPECT_EQ(page.Focus(), ui::kMacEditIds[4]);
  page.EditText(ui::kMacEditIds[4], "20345");  // pasted: cut to two
  EXPECT_EQ(page.GetDlgItemText(ui::kMacEditIds[4]), "20");
  EXPECT_EQ(page.Focus(), ui::kMacEditIds[5]);
  page.EditText(ui::kMacEditIds[5], "0a");
  EXPECT_EQ(page.Focus(), ui::kMacEditIds[5]);
  ui.QueueAnswer(ui::kAnswerOk);
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ(dialog->Request().enteredValues[5], 10);
  EXPECT_EQ(Peek(driver::nvram::kMacAddress, 6),
            (vprinter::Bytes{prefix[0], prefix[1], prefix[2], 0x2D, 0x20, 0x0A}));
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kMacShownIds[5]), "0A");  // refreshed
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kMacEditIds[5]), "");
}

TEST_F(ItemPagesTest, MacFieldsThatAreNoByteLeaveTheirInputAndTheBoxUnlocksThePrefix) {
  const auto dialog = OpenAt("MAC address");
  ui::CDialog& page = Page(*dialog);
  auto& request = dialog->Request();
  request.enteredValues[3] = 77;
  page.EditText(ui::kMacEditIds[3], "G1");
  page.EditText(ui::kMacEditIds[4], "1");
  ASSERT_TRUE(dialog->CurrentPage()->page->CollectInput());
  EXPECT_EQ(request.enteredValues[3], 77);
  EXPECT_EQ(request.enteredValues[4], 1);
  EXPECT_EQ(request.enteredValues[0], driver::kMacVendorPrefix[0]);
  EXPECT_EQ(request.selector, 0);
  page.Click(ui::kMacUnlockId);
  EXPECT_FALSE(page.Item(ui::kMacEditIds[0]).readOnly);
  ASSERT_TRUE(dialog->CurrentPage()->page->CollectInput());
  EXPECT_EQ(request.selector, 1);
  page.Click(ui::kMacUnlockId);
  EXPECT_TRUE(page.Item(ui::kMacEditIds[0]).readOnly);
}

TEST_F(ItemPagesTest, ClockPickersShowTheReferenceAndGiveTheClockItsSixNumbers) {
  setenv("TZ", "UTC", 1);
  tzset();
  clock.SetUnixSeconds(1767691805);  // 2026-01-06 09:30:05
  const auto dialog = OpenAt("Printer clock");
  ASSERT_EQ(dialog->PageTemplate(), ui::kClockTemplate);
  ui::CDialog& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kClockDateLabelId), "DATE");
  EXPECT_EQ(page.Item(ui::kClockDateId).dateTime, (ui::DateTime{2026, 1, 6, 9, 30, 5}));
  page.SetDateTime(ui::kClockDateId, {2031, 1, 5, 0, 0, 0});
  page.SetDateTime(ui::kClockTimeId, {2000, 1, 1, 7, 8, 9});
  ui.QueueAnswer(ui::kAnswerOk);
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ((std::vector<int>(dialog->Request().enteredValues.begin(),
                              dialog->Request().enteredValues.begin() + 6)),
            (std::vector<int>{31, 1, 5, 7, 8, 9}));
  EXPECT_EQ(Printer()->Snapshot().rtcSetValue, "310105070809");
}

TEST_F(ItemPagesTest, CountersShowTheirShareOfTheRatedLife) {
  struct Case {
    int item;
    std::array<int, 2> counts;
    std::array<const char*, 6> shown;  // current, life, rate of row 1, then of row 2
  };
  const Case cases[] = {
      {20010, {2400000, 0}, {"2400000", "4800000", "50", "---", "---", "---"}},
      {20040,
       {508669500, 447866500},
       {"508669500", "1017339000", "50", "447866500", "895733000", "50"}},
      {20080, {1234, 0}, {"1234", "---", "---", "---", "---", "---"}},
      {20020, {32767, 0}, {"---", "400000", "---", "---", "---", "---"}},
      {20040, {32767, 5}, {"---", "1017339000", "---", "---", "895733000", "---"}},
  };
  for (const Case& c : cases) {
    operations::OperationRequest request;
    request.itemNumber = c.item;
    request.shownValues[0] = c.counts[0];
    request.shownValues[1] = c.counts[1];
    const auto page = PageOver(ui::kCounterTemplate, request);
    const int ids[6] = {ui::kCounterCurrentIds[0], ui::kCounterLifeIds[0], ui::kCounterRateIds[0],
                        ui::kCounterCurrentIds[1], ui::kCounterLifeIds[1], ui::kCounterRateIds[1]};
    for (int k = 0; k < 6; ++k)
      EXPECT_EQ(page->GetDlgItemText(ids[k]), c.shown[static_cast<std::size_t>(k)])
          << c.item << " field " << k;
    EXPECT_EQ(Shows(*page, ui::kCounterCurrentIds[1]), c.item == 20040);
    EXPECT_EQ(Shows(*page, ui::kCounterCheckIds[0]), c.item == 20040);
  }
}

TEST_F(ItemPagesTest, CounterChecksChooseTheRowsOfTheReset) {
  const auto dialog = OpenAt("Cleaning counters", 90040);
  ui::CDialog& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kCounterCheckIds[0]), "Counter 1");
  EXPECT_EQ(page.GetDlgItemText(ui::kCounterCurrentLabelId), "Current");
  EXPECT_EQ(page.GetDlgItemText(ui::kCounterCurrentIds[1]),
            std::to_string(Peek(206, 1)[0] | Peek(207, 1)[0] << 8 | Peek(208, 1)[0] << 16 |
                           Peek(209, 1)[0] << 24));
  page.Click(ui::kCounterCheckIds[1]);
  ASSERT_TRUE(dialog->CurrentPage()->page->CollectInput());
  EXPECT_EQ(dialog->Request().selector, 0);
  EXPECT_EQ(dialog->Request().colourFlags[0], 1);
}

TEST_F(ItemPagesTest, HeadIdBoxesMoveOnAndJudgeTheWholeId) {
  const auto dialog = OpenAt("Head ID");
  ASSERT_EQ(dialog->PageTemplate(), ui::kHeadIdTemplate);
  ui::CDialog& page = Page(*dialog);
  const std::string id = dialog->Request().printerInfo.HeadId;
  ASSERT_EQ(id.size(), 45u);
  EXPECT_EQ(page.Focus(), ui::kHeadIdBoxIds[0]);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(page.Focus(), ui::kHeadIdBoxIds[k]);
    page.EditText(ui::kHeadIdBoxIds[k], id.substr(static_cast<std::size_t>(k) * 9, 8));
    EXPECT_EQ(page.Focus(), ui::kHeadIdBoxIds[k]);  // eight: not yet
    page.EditText(ui::kHeadIdBoxIds[k], id.substr(static_cast<std::size_t>(k) * 9, 9));
  }
  EXPECT_EQ(page.Focus(), ui::kHeadIdBoxIds[4]);
  page.EditText(ui::kHeadIdBoxIds[4], id.substr(36, 8));  // 44 characters: no judgement
  EXPECT_EQ(page.GetDlgItemText(ui::kHeadIdJudgeId), "");
  page.EditText(ui::kHeadIdBoxIds[4], id.substr(36) + "XYZ");  // pasted: cut at nine
  EXPECT_EQ(page.GetDlgItemText(ui::kHeadIdBoxIds[4]), id.substr(36));
  EXPECT_EQ(page.Focus(), ui::kHeadIdBoxIds[4]);
  EXPECT_EQ(page.GetDlgItemText(ui::kHeadIdJudgeId), "ID OK!!");
  EXPECT_EQ(page.Item(ui::kHeadIdJudgeId).textColour, ui::kJudgeGoodColour);
  std::string mistyped = id.substr(9, 9);
  mistyped[4] = mistyped[4] == 'A' ? 'B' : 'A';
  page.EditText(ui::kHeadIdBoxIds[1], mistyped);
  EXPECT_EQ(page.GetDlgItemText(ui::kHeadIdJudgeId), "ID NG!!");
  EXPECT_EQ(page.Item(ui::kHeadIdJudgeId).textColour, ui::kJudgeBadColour);
  // The typed ID goes to the registration; Check shows the printer's again.
  page.EditText(ui::kHeadIdBoxIds[1], id.substr(9, 9));
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ(dialog->Request().inputText, id);
  EXPECT_EQ(dialog->Request().done, 1);
  page.EditText(ui::kHeadIdBoxIds[2], "");
  Press(*dialog, ui::kCheckButtonId);
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kHeadIdBoxIds[2]), id.substr(18, 9));
}

// Walking the tree, each page shows only what was read for its own item: never the text the
// previous item read or wrote.
TEST_F(ItemPagesTest, EachPageShowsOnlyWhatItsOwnItemRead) {
  const auto dialog = OpenAt("Serial number");
  const auto select = [&](const std::string& title) {
    const ui::TreeItems& tree = dialog->Item(ui::kMenuTreeId).tree;
    for (int handle = 1; handle <= static_cast<int>(tree.Size()); ++handle) {
      if (tree.Find(handle)->text == title) return dialog->SelectTreeItem(ui::kMenuTreeId, handle);
    }
    ADD_FAILURE() << title;
  };
  const vprinter::Bytes bytes = Peek(driver::nvram::kSerialNumber, 10);
  const std::string serial(bytes.begin(), bytes.end());
  // Selected, the serial number page shows the printer's number already.
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kTextInputPromptId), serial);
  Press(*dialog, ui::kCheckButtonId);
  select("Head ID");
  ASSERT_EQ(dialog->PageTemplate(), ui::kHeadIdTemplate);
  for (const int box : ui::kHeadIdBoxIds) EXPECT_EQ(Page(*dialog).GetDlgItemText(box), "");
  Press(*dialog, ui::kCheckButtonId);
  const std::string headId = dialog->Request().outputText;
  ASSERT_EQ(headId.size(), 45u);
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kHeadIdBoxIds[0]), headId.substr(0, 9));
  select("Board exchange");
  ASSERT_EQ(dialog->PageTemplate(), ui::kNvramCopyTemplate);
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kNvramCopySerialId), "");
  select("Serial number");
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kTextInputPromptId), serial);
  select("Head ID");
  for (const int box : ui::kHeadIdBoxIds) EXPECT_EQ(Page(*dialog).GetDlgItemText(box), "");
}

TEST_F(ItemPagesTest, SerialNumberInputCountsToTen) {
  const auto dialog = OpenAt("Serial number");
  ASSERT_EQ(dialog->PageTemplate(), ui::kTextInputTemplate);
  ui::CDialog& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kTextInputCounterId), "0 / 10");
  EXPECT_FALSE(Shows(page, ui::kTextInputAddressId));
  page.EditText(ui::kTextInputEditId, "LW1234");
  EXPECT_EQ(page.GetDlgItemText(ui::kTextInputCounterId), "6/10");
  page.EditText(ui::kTextInputEditId, "LW12345678-extra");
  EXPECT_EQ(page.GetDlgItemText(ui::kTextInputEditId), "LW12345678");
  EXPECT_EQ(page.GetDlgItemText(ui::kTextInputCounterId), "10/10");
  // Check shows the printer's serial in the prompt.
  Press(*dialog, ui::kCheckButtonId);
  const vprinter::Bytes serial = Peek(driver::nvram::kSerialNumber, 10);
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kTextInputPromptId),
            std::string(serial.begin(), serial.end()));
  // A board without one takes the typed number.
  Poke(driver::nvram::kSerialNumber, vprinter::Bytes(10, 0));
  ui.QueueAnswer(ui::kAnswerOk);
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ(dialog->Request().inputText, "LW12345678");
  EXPECT_EQ(Peek(driver::nvram::kSerialNumber, 10),
            (vprinter::Bytes{'L', 'W', '1', '2', '3', '4', '5', '6', '7', '8'}));
}

TEST_F(ItemPagesTest, NetworkAddressIsFourNumbers) {
  operations::OperationRequest request;
  request.itemNumber = ui::kNetworkAddressItem;
  const auto page = PageOver(ui::kTextInputTemplate, request);
  EXPECT_TRUE(Shows(*page, ui::kTextInputAddressId));
  EXPECT_FALSE(Shows(*page, ui::kTextInputEditId));
  EXPECT_EQ(page->Focus(), ui::kTextInputAddressId);
  const std::pair<const char*, const char*> accepted[] = {
      {"192.168.0.5", "192.168.0.5"}, {"10.0..1", "10.0.0.1"}, {"010.001.000.005", "10.1.0.5"}};
  for (const auto& [typed, address] : accepted) {
    page->EditText(ui::kTextInputAddressId, typed);
    ASSERT_TRUE(page->CollectInput()) << typed;
    EXPECT_EQ(request.inputText, address);
  }
  for (const char* refused : {"192.168.0.256", "192.168.0", "1.2.3.4.5", "a.b.c.d"}) {
    page->EditText(ui::kTextInputAddressId, refused);
    Mark();
    EXPECT_FALSE(page->CollectInput()) << refused;
    EXPECT_EQ(Shown(), std::vector{Message(90000010)});
  }
}

TEST_F(ItemPagesTest, TextInputOfOtherItemsHasNoLimit) {
  operations::OperationRequest request;
  request.itemNumber = 10999;
  const auto page = PageOver(ui::kTextInputTemplate, request);
  EXPECT_EQ(page->GetDlgItemText(ui::kTextInputCounterId), "");
  page->EditText(ui::kTextInputEditId, std::string(40, 'x'));
  EXPECT_EQ(page->GetDlgItemText(ui::kTextInputEditId).size(), 40u);
  EXPECT_EQ(page->GetDlgItemText(ui::kTextInputCounterId), "40/0");
  request.inputText = "kept";
  EXPECT_TRUE(page->CollectInput());
  EXPECT_EQ(request.inputText, "kept");
}

// The record page: this printer's runs newest first, a run of a moment ago on top, nothing of
// other printers; a board without a serial number sees the runs of boards that had none.
TEST_F(ItemPagesTest, ServiceRecordShowsThisPrintersRunsNewestFirst) {
  const vprinter::Bytes serialBytes =
      Peek(driver::nvram::kSerialNumber, driver::nvram::kSerialLength);
  const std::string serial(serialBytes.begin(), serialBytes.end());
  record::ServiceRecordEntry older;  // from before run ids and host names
  older.time = "2020-01-02 03:04:05";
  older.station = "L3-07-J12";
  older.serial = serial;
  older.title = "Cleaning";
  older.result = record::kRecordFailed;
  older.lastError = 91020004;
  older.messages = {"Cleaning, all colours?", "The printer failed."};
  record::ServiceRecordEntry foreign = older;
  foreign.serial = "OTHER0001";
  record::ServiceRecordEntry unknown = older;
  unknown.serial.clear();
  unknown.title = "New board";
  for (const auto& entry : {older, foreign, unknown})
    ASSERT_TRUE(record::AppendServiceRecord(Environment().folders.csv, entry, nullptr));
  Press(*OpenAt("Serial number"), ui::kCheckButtonId);
  const std::size_t shownBefore = Shown().size();

  auto dialog = OpenAt("Service record", 90020);
  ASSERT_EQ(dialog->PageTemplate(), ui::kServiceRecordTemplate);
  const ui::ControlState& table = Page(*dialog).Item(ui::kServiceRecordTableId);
  EXPECT_EQ(table.items, (std::vector<std::string>{"Time", "Item", "Result", "Error", "Station"}));
  // Each message whole, in a row of its own under its run.
  ASSERT_EQ(table.rows.size(), 4u);
  EXPECT_EQ(table.rows[0][1], "Serial number");
  EXPECT_EQ(table.rows[0][2], "done");
  EXPECT_EQ(table.rows[0][3], "");  // nothing failed on its link
  EXPECT_EQ(table.rows[0][4], "-- (" + Environment().hostName + ")");  // no station numbers set
  EXPECT_EQ(table.rows[1],
            (std::vector<std::string>{older.time, "Cleaning", "failed", "91020004", "L3-07-J12"}));
  EXPECT_EQ(table.rows[2], std::vector<std::string>{"Messages: Cleaning, all colours?"});
  EXPECT_EQ(table.rows[3], std::vector<std::string>{"Messages: The printer failed."});
  // Looking at the record asks nothing and is no run of its own.
  EXPECT_EQ(Shown().size(), shownBefore);
  EXPECT_EQ(record::ReadServiceRecord(Environment().folders.csv, "").size(), 4u);

  Poke(driver::nvram::kSerialNumber, vprinter::Bytes(10, 0));
  dialog = OpenAt("Service record", 90020);
  const auto& rows = Page(*dialog).Item(ui::kServiceRecordTableId).rows;
  ASSERT_EQ(rows.size(), 3u);  // the run and its two messages
  EXPECT_EQ(rows[0][1], "New board");
}

// After a nozzle check, "Picture" shows the item's picture and the page as the program sent it:
// the same dots of every colour as the printer put on paper. The page stays with the item when
// the dialog is closed and opened again.
TEST_F(ItemPagesTest, PictureShowsThePageTheLastPrintSent) {
  auto dialog = OpenAt("Nozzle check");
  Press(*dialog, ui::kExecuteButtonId);
  // A later run that printed nothing, before anyone looked: the print's page is still there.
  Environment().printed.Keep(10090, {0x1B, 0x40});
  const std::vector<vprinter::Page> pages = Environment().printed.Of(10090);
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(Printer()->PageDots().size(), 1u);
  EXPECT_EQ(vprinter::CountDots(pages[0]), Printer()->PageDots().back());

  dialog = OpenAt("Nozzle check");
  dialog->Click(ui::kPictureButtonId);
  const std::vector<ui::UiCall> pictures = ui.Calls(ui::UiCallKind::Picture);
  ASSERT_EQ(pictures.size(), 2u);
  const std::string file = Environment().folders.csv + "/Printed/10090-1.png";
  EXPECT_EQ(pictures[1].text, "Nozzle check: page as sent | " + file);
  // The item's picture in its template, the printed page whole in its window.
  EXPECT_EQ(pictures[0].style, static_cast<unsigned>(ui::PictureFit::PhysicalSize));
  EXPECT_EQ(pictures[1].style, static_cast<unsigned>(ui::PictureFit::WholeInWindow));
  std::ifstream png(file, std::ios::binary);
  std::string signature(8, '\0');
  png.read(signature.data(), 8);
  EXPECT_EQ(signature, "\x89PNG\r\n\x1a\n");

  // A folder that cannot take the picture: a warning says so, and no window opens.
  const std::string printed = Environment().folders.csv + "/Printed";
  std::filesystem::remove_all(printed);
  std::ofstream(printed) << "a file";
  Mark();
  dialog->Click(ui::kPictureButtonId);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text.rfind("The printed page could not be drawn.\n", 0), 0u);
  EXPECT_EQ(Shown()[0].icon, ui::kIconWarning);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::Picture).size(), 3u);  // the item's own picture only

  // A job that printed nothing (a reset and a blank page) leaves the page of the last print.
  Environment().printed.Keep(10090, {0x1B, 0x40, 0x0C});
  ASSERT_EQ(Environment().printed.Of(10090).size(), 1u);
  EXPECT_EQ(vprinter::CountDots(Environment().printed.Of(10090)[0]), Printer()->PageDots().back());
}

}  // namespace
