#include "ui/dialog.h"

#include <gtest/gtest.h>

#include <thread>

#include "ui/data_exchange.h"
#include "ui/scripted_ui_services.h"

namespace {

using ui::ControlKind;

const ui::DialogTemplate kForm{
    900,
    "Form",
    200,
    120,
    {
        {100, ControlKind::Static, "Label", {5, 5, 40, 10}},
        {101, ControlKind::Edit, "", {50, 5, 60, 12}},
        {102, ControlKind::Edit, "", {50, 20, 60, 12}, ui::kHidden},
        {103, ControlKind::Edit, "", {50, 35, 60, 12}},
        {110, ControlKind::RadioButton, "A", {5, 50, 40, 10}, ui::kGroupStart},
        {111, ControlKind::RadioButton, "B", {5, 60, 40, 10}},
        {112, ControlKind::RadioButton, "C", {5, 70, 40, 10}},
        {120, ControlKind::CheckBox, "Flag", {60, 50, 40, 10}, ui::kGroupStart},
        {121, ControlKind::Button, "Run", {60, 70, 40, 14}, ui::kDisabled},
        {130, ControlKind::DatePicker, "", {110, 50, 60, 12}},
        {ui::IDOK, ControlKind::Button, "OK", {90, 100, 50, 14}, ui::kDefaultButton},
        {ui::IDCANCEL, ControlKind::Button, "Cancel", {145, 100, 50, 14}},
    }};

class FormDialog : public ui::CDialog {
public:
  explicit FormDialog(ui::UiServices& services) : CDialog(kForm, services) {
    OnCommand(121, &FormDialog::OnRun);
    OnChange(101, &FormDialog::OnNameChanged);
    OnKeyDown(&FormDialog::OnKey);
    OnMessage(ui::kOperationDoneMessage, &FormDialog::OnDone);
  }

  std::string name = "initial";
  int count = 7;
  double level = 2.5;
  int choice = 1;
  int flag = 1;
  ui::DateTime when{2026, 12, 7, 10, 30, 0};
  int runs = 0;
  int nameChanges = 0;
  int doneMessages = 0;
  std::vector<int> keys;

protected:
  void DoDataExchange(ui::DataExchange& dx) override {
    dx.Text(101, name);
    dx.MaxChars(101, name, 8);
    dx.Text(103, count);
    dx.MinMax(103, count, 1, 10);
    dx.Radio(110, choice);
    dx.Check(120, flag);
    dx.DateTimeValue(130, when);
  }

private:
  void OnRun() { ++runs; }
  void OnNameChanged() { ++nameChanges; }
  bool OnKey(int key) {
    keys.push_back(key);
    return key == ui::kKeyF11;
  }
  void OnDone() { ++doneMessages; }
};

class DialogTest : public ::testing::Test {
protected:
  DialogTest() { EXPECT_TRUE(dialog.Create()); }
  ui::ScriptedUiServices services;
  FormDialog dialog{services};
};

TEST_F(DialogTest, ControlsStartAsTheTemplateSays) {
  EXPECT_EQ(dialog.Caption(), "Form");
  EXPECT_EQ(dialog.GetDlgItemText(100), "Label");
  EXPECT_FALSE(dialog.Item(102).visible);
  EXPECT_FALSE(dialog.Item(121).enabled);
  EXPECT_EQ(dialog.Item(101).rect, (ui::DialogRect{50, 5, 60, 12}));
  EXPECT_EQ(dialog.Focus(), 101);  // the first control that takes input
  EXPECT_THROW(dialog.Item(999), std::out_of_range);
}

TEST_F(DialogTest, InitialisationFillsTheControlsFromTheMembers) {
  EXPECT_EQ(dialog.GetDlgItemText(101), "initial");
  EXPECT_EQ(dialog.GetDlgItemText(103), "7");
  EXPECT_EQ(dialog.IsDlgButtonChecked(110), 0);
  EXPECT_EQ(dialog.IsDlgButtonChecked(111), 1);
  EXPECT_EQ(dialog.IsDlgButtonChecked(120), 1);
  EXPECT_EQ(dialog.Item(101).limit, 8);
  EXPECT_EQ(dialog.Item(130).dateTime, (ui::DateTime{2026, 12, 7, 10, 30, 0}));
}

TEST_F(DialogTest, SavingTakesTheUsersInput) {
  dialog.EditText(101, "Serial");
  dialog.EditText(103, " 10 ");
  dialog.Click(112);
  dialog.Click(120);
  dialog.SetDateTime(130, {2027, 1, 2, 3, 4, 5});
  ASSERT_TRUE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.name, "Serial");
  EXPECT_EQ(dialog.count, 10);
  EXPECT_EQ(dialog.choice, 2);
  EXPECT_EQ(dialog.IsDlgButtonChecked(111), 0);  // the group holds one checked button
  EXPECT_EQ(dialog.flag, 0);
  EXPECT_EQ(dialog.when.year, 2027);
  EXPECT_TRUE(services.Calls().empty());
}

TEST_F(DialogTest, RefusedValuesSayWhyAndKeepTheFocusThere) {
  for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
           {"abc", "Please enter an integer."},
           {"3x", "Please enter an integer."},
           {"", "Please enter an integer."},
           {"11", "Please enter an integer between 1 and 10."},
           {"0", "Please enter an integer between 1 and 10."}}) {
    dialog.count = 5;
    dialog.EditText(103, text);
    dialog.SetFocus(101);
    EXPECT_FALSE(dialog.UpdateData(true)) << text;
    EXPECT_EQ(dialog.Focus(), 103) << text;
    const auto shown = services.Calls(ui::UiCallKind::MessageBox);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, message) << text;
  }
  // The exchanges after a refusal do not run: the flag keeps its value.
  dialog.flag = 9;
  dialog.EditText(103, "x");
  EXPECT_FALSE(dialog.UpdateData(true));
  EXPECT_EQ(dialog.flag, 9);
}

TEST_F(DialogTest, EditsKeepToTheirLengthLimitAndTellTheirHandler) {
  dialog.EditText(101, "123456789012");
  EXPECT_EQ(dialog.GetDlgItemText(101), "12345678");
  EXPECT_EQ(dialog.nameChanges, 1);
}

TEST_F(DialogTest, ClicksReachTheirHandlerOnlyWhenEnabledAndVisible) {
  dialog.Click(121);
  EXPECT_EQ(dialog.runs, 0);
  dialog.EnableItem(121, true);
  dialog.Click(121);
  EXPECT_EQ(dialog.runs, 1);
  dialog.ShowItem(121, false);
  dialog.Click(121);
  EXPECT_EQ(dialog.runs, 1);
}

TEST_F(DialogTest, TabMovesThroughControlsThatTakeInput) {
  std::vector<int> order;
  for (int i = 0; i < 9; ++i) {
    dialog.KeyDown(ui::kKeyTab);
    order.push_back(dialog.Focus());
  }
  // Skips the label, the hidden edit and the disabled button; wraps round.
  EXPECT_EQ(order, (std::vector<int>{103, 110, 111, 112, 120, 130, ui::IDOK, ui::IDCANCEL, 101}));
  // A read-only field is no stop either.
  dialog.ChangeItem(103, [](ui::ControlState& c) { c.readOnly = true; });
  dialog.KeyDown(ui::kKeyTab);
  EXPECT_EQ(dialog.Focus(), 110);
}

TEST_F(DialogTest, EnterAndEscapeEndTheDialog) {
  dialog.EditText(103, "4");
  dialog.KeyDown(ui::kKeyEnter);
  EXPECT_TRUE(dialog.IsEnded());
  EXPECT_EQ(dialog.Result(), ui::IDOK);
  EXPECT_EQ(dialog.count, 4);

  FormDialog other(services);
  other.Create();
  other.EditText(103, "not a number");
  other.KeyDown(ui::kKeyEnter);  // a refused value keeps the dialog open
  EXPECT_FALSE(other.IsEnded());
  other.KeyDown(ui::kKeyEscape);
  EXPECT_EQ(other.Result(), ui::IDCANCEL);
}

TEST_F(DialogTest, EnterOnAFocusedButtonPressesThatButton) {
  dialog.EnableItem(121, true);
  dialog.SetFocus(121);
  dialog.KeyDown(ui::kKeyEnter);
  EXPECT_EQ(dialog.runs, 1);
  EXPECT_FALSE(dialog.IsEnded());
}

TEST_F(DialogTest, KeyHandlersSeeEveryKeyAndMayTakeIt) {
  dialog.KeyDown(ui::kKeyF11);
  dialog.KeyDown(ui::kKeyEscape);
  EXPECT_EQ(dialog.keys, (std::vector<int>{ui::kKeyF11, ui::kKeyEscape}));
  EXPECT_TRUE(dialog.IsEnded());  // Escape was not taken
}

TEST_F(DialogTest, PostedMessagesArriveOnTheUserInterfaceThread) {
  std::thread worker([this] { dialog.PostMessage(ui::kOperationDoneMessage); });
  worker.join();
  EXPECT_EQ(dialog.doneMessages, 0);
  EXPECT_EQ(services.RunPosted(), 1);
  EXPECT_EQ(dialog.doneMessages, 1);
}

TEST_F(DialogTest, AMessagePostedToAClosedDialogIsDropped) {
  auto closing = std::make_unique<FormDialog>(services);
  closing->PostMessage(ui::kOperationDoneMessage);
  closing.reset();
  EXPECT_EQ(services.RunPosted(), 1);  // ran, found no dialog, did nothing
}

TEST(DataExchangeNumbers, AcceptOnlyWholeNumbers) {
  int i = 0;
  EXPECT_TRUE(ui::ParseDialogInt(" -12 ", i));
  EXPECT_EQ(i, -12);
  EXPECT_TRUE(ui::ParseDialogInt("+3", i));
  EXPECT_FALSE(ui::ParseDialogInt("1.5", i));
  EXPECT_FALSE(ui::ParseDialogInt("99999999999", i));
  double d = 0;
  EXPECT_TRUE(ui::ParseDialogDouble("22.5", d));
  EXPECT_DOUBLE_EQ(d, 22.5);
  EXPECT_FALSE(ui::ParseDialogDouble("22,5", d));
  EXPECT_FALSE(ui::ParseDialogDouble("", d));
  EXPECT_EQ(ui::FormatDialogDouble(15.0), "15");
  EXPECT_EQ(ui::FormatDialogDouble(0.1), "0.1");
}

}  // namespace
