// The main service dialog with the scripted host and a virtual printer: the tree it builds, what
// a selection reads and offers, runs on the worker, the hot keys and the guided walk.

#include "ui/svc_dlg_main.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "operations/service_operations.h"
#include "operations/service_record.h"
#include "operations/shared_steps.h"
#include "support/main_dialog_fixture.h"
#include "ui/service_items.h"
#include "ui/template_ids.h"

namespace {

using operations::OperationRun;
using ui::CSvcDlgMain;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A tree with every kind of node the building rules meet.
constexpr const char* kTree = R"(
[F]
Parent=TOP
Title=Identity
ExecFunc=0
[F1]
Parent=F
Title=Head ID
ExText=Read the head ID.
ExecFunc=10080
picture_filename=head
[F2]
Parent=F
Title=MAC address
ExecFunc=10220
[F3]
Parent=F
Title=Printer clock
ExecFunc=10210
[LATE1]
Parent=LATE
Title=Listed before its parent
ExecFunc=10010
[LATE]
Parent=TOP
Title=Maintenance
ExecFunc=0
[M1]
Parent=LATE
Title=Nozzle check
ExecFunc=10090
[M2]
Parent=LATE
Title=Ink volume
ExecFunc=20080
[M3]
Parent=LATE
Title=Bi-D
ExecFunc=10070
[ORPHAN]
Parent=NOWHERE
Title=Orphan
ExecFunc=10100
[NOTITLE]
Parent=TOP
ExecFunc=10100
[X]
Parent=TOP
Title=Exchange
ExecFunc=0
[X1]
Parent=X
Title=Read the steps
ExecFunc=19999
[X2]
Parent=X
Title=Reset the counter
ExecFunc=20030
)";

constexpr const char* kFuncData = R"(
[90099]
TreeTop=TOP
Text1=Status line
[90030]
TreeTop=TOP
Text1=Guided
Button2=Go on
Button3=Done
[20080]
Button2=Read
Button3=Enter
)";

class SvcDlgMainTest : public testing_support::MainDialogFixture {
protected:
  SvcDlgMainTest() {
    WriteMenuFile("ext_strings.ini",
                  ReadFile(std::string(GRELT_DATA_DIR) + "/Service/ext_strings.ini"));
    WriteMenuFile("ext_funcdata.ini", kFuncData);
    WriteMenuFile("ext_treedata.ini", kTree);
    table = operations::ServiceOperations();  // the page values as the program reads them
    for (int number : {210090, 320080, 210070, ui::kKeyF11}) {
      table.Add(number, "Recorded", [this, number](OperationRun& run) {
        ran.push_back(number);
        run.request.done = 1;
        return true;
      });
    }
  }

  std::unique_ptr<CSvcDlgMain> Open(int top = 90099) { return MainDialogFixture::Open(top); }
  int NodeIndex(const std::string& section) const {
    static const std::vector<std::string> kOrder = {"F",       "F1", "F2", "F3", "LATE1",
                                                    "LATE",    "M1", "M2", "M3", "ORPHAN",
                                                    "NOTITLE", "X",  "X1", "X2"};
    return static_cast<int>(std::find(kOrder.begin(), kOrder.end(), section) - kOrder.begin());
  }
  void Select(CSvcDlgMain& dialog, const std::string& section) {
    dialog.SelectTreeItem(ui::kMenuTreeId, dialog.ItemOfNode(NodeIndex(section)));
  }

  std::vector<int> ran;
};

TEST_F(SvcDlgMainTest, TheTreeLeavesOutNodesWithoutTitleOrReachableParent) {
  const auto dialog = Open();
  const ui::TreeItems& tree = dialog->Item(ui::kMenuTreeId).tree;
  std::vector<std::string> shown;
  for (int handle = 1; handle <= static_cast<int>(tree.Size()); ++handle)
    shown.push_back(tree.Find(handle)->text);
  EXPECT_EQ(shown, (std::vector<std::string>{"Identity", "Head ID", "MAC address", "Printer clock",
                                             "Maintenance", "Nozzle check", "Ink volume", "Bi-D",
                                             "Exchange", "Read the steps", "Reset the counter"}));
  EXPECT_EQ(dialog->ItemOfNode(NodeIndex("LATE1")), ui::kNoTreeItem);
  EXPECT_EQ(dialog->ItemOfNode(NodeIndex("ORPHAN")), ui::kNoTreeItem);
  EXPECT_EQ(tree.Find(dialog->ItemOfNode(NodeIndex("M1")))->parent,
            dialog->ItemOfNode(NodeIndex("LATE")));

  EXPECT_EQ(dialog->Caption(), "Adjustment and Service");
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), "Status line");
  EXPECT_FALSE(dialog->GuidedMode());
  for (int id : {ui::kNextButtonId, ui::kExecuteButtonId, ui::kPictureButtonId, ui::kInputButtonId,
                 ui::kCheckButtonId, ui::kOptionButtonId, ui::kPrinterStatusButtonId})
    EXPECT_FALSE(Shows(*dialog, id)) << id;
}

TEST_F(SvcDlgMainTest, WithoutTheTreeFileTheDialogSaysSoAndStaysUsable) {
  std::filesystem::remove(folder / "Program/Service/ext_treedata.ini");
  const auto dialog = Open();
  const std::vector<ui::UiCall> boxes = ui.Calls(ui::UiCallKind::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Cannot Read The Menu.");
  EXPECT_EQ(dialog->Item(ui::kMenuTreeId).tree.Size(), 0u);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), "Status line");
  EXPECT_TRUE(dialog->KeyDown(ui::kKeyF11));  // the hot keys still run
  dialog->WaitForOperation();
  dialog->CloseBox();
  EXPECT_TRUE(dialog->IsEnded());
}

TEST_F(SvcDlgMainTest, AFolderShowsNothingAndReadsNothing) {
  const auto dialog = Open();  // no printer attached: a read would show 90000001
  Select(*dialog, "F1");
  EXPECT_EQ(dialog->GetDlgItemText(ui::kItemTitleId), "Head ID");
  Mark();
  Select(*dialog, "F");
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(dialog->PageTemplate(), ui::kUnknownItem);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kItemTitleId), "");
  EXPECT_EQ(dialog->GetDlgItemText(ui::kItemExplanationId), "");
  for (int id : {ui::kExecuteButtonId, ui::kInputButtonId, ui::kCheckButtonId, ui::kOptionButtonId,
                 ui::kPictureButtonId})
    EXPECT_FALSE(Shows(*dialog, id)) << id;
}

TEST_F(SvcDlgMainTest, WithoutAPrinterTheHeadIdItemTellsAndOffersOnlyCheck) {
  const auto dialog = Open();
  Mark();
  Select(*dialog, "F1");
  EXPECT_EQ(Shown(), std::vector{Message(operations::kMsgNoPrinter)});
  EXPECT_EQ(dialog->Request().printerMissing, 1);
  EXPECT_EQ(dialog->Request().printerInfo.HeadId, "");
  EXPECT_EQ(dialog->PageTemplate(), 369);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kItemTitleId), "Head ID");
  EXPECT_EQ(dialog->GetDlgItemText(ui::kItemExplanationId), "Read the head ID.");
  EXPECT_TRUE(Shows(*dialog, ui::kInputButtonId));
  EXPECT_FALSE(Enables(*dialog, ui::kInputButtonId));
  EXPECT_TRUE(Shows(*dialog, ui::kCheckButtonId));
  EXPECT_TRUE(Enables(*dialog, ui::kCheckButtonId));
  EXPECT_FALSE(Shows(*dialog, ui::kExecuteButtonId));
  EXPECT_TRUE(Shows(*dialog, ui::kPictureButtonId));

  // Once the printer is there the next selection finds it and enables Input again.
  Attach("LW");
  Select(*dialog, "F1");
  EXPECT_EQ(dialog->Request().printerMissing, 0);
  EXPECT_EQ(dialog->Request().printerInfo.HeadId.size(), 45u);
  EXPECT_TRUE(Enables(*dialog, ui::kInputButtonId));
}

TEST_F(SvcDlgMainTest, SelectionReadsTheValuesThePageShows) {
  Attach("LW");
  auto printer = Printer();
  printer->WriteNvram(114, {0x00, 0x26, 0xAB, 0x01, 0x02, 0xFF});
  printer->WriteNvram(313, {0x05, 0xFB, 0x80});
  printer->WriteNvram(329, {0x7F, 0x00, 0xFF});
  auto put = [&](int address, std::uint32_t value) {
    printer->WriteNvram(
        address, {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                  static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
  };
  put(390, 1000);  // A
  put(422, 100);   // B
  put(317, 50);    // C
  put(1547, 7);    // D
  put(1539, 3);    // E
  put(1316, 20);   // F
  printer->WriteNvram(1299, {1});
  const auto dialog = Open();

  Select(*dialog, "F2");
  const auto& shown = dialog->Request().shownValues;
  EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 6),
            (std::vector<int>{0x00, 0x26, 0xAB, 0x01, 0x02, 0xFF}));

  Select(*dialog, "M3");
  EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 6),
            (std::vector<int>{5, -5, -128, 127, 0, -1}));
  EXPECT_TRUE(Shows(*dialog, ui::kOptionButtonId));
  EXPECT_FALSE(Enables(*dialog, ui::kOptionButtonId));
  EXPECT_TRUE(Enables(*dialog, ui::kExecuteButtonId));

  Select(*dialog, "M2");
  EXPECT_EQ(shown[1], 1000 - 50 - 100);
  EXPECT_EQ(shown[0], 7 + 3 + 850 - 20);
  printer->WriteNvram(1299, {0});
  Select(*dialog, "M2");
  EXPECT_EQ(shown[0], 7 + 3 + 850);
  // The captions come from the item's page texts.
  EXPECT_EQ(dialog->GetDlgItemText(ui::kInputButtonId), dialog->Request().pageText.button[2]);
}

TEST_F(SvcDlgMainTest, TheClockItemStampsTheReferenceAndChecksTheModel) {
  Attach("ZZ");
  clock.SetUnixSeconds(1'800'000'123);
  const auto dialog = Open();
  Mark();
  Select(*dialog, "F3");
  EXPECT_EQ(dialog->Request().clockReference, 1'800'000'123);
  const std::vector<ui::UiCall> shown = ui.Calls(ui::UiCallKind::MessageDialog);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].style, 2u);  // red text, NG only
  EXPECT_NE(shown[0].text.find("Model = ZZ"), std::string::npos);
  EXPECT_EQ(Shown().size(), 1u);
  // The page is still shown, with its texts.
  EXPECT_EQ(dialog->PageTemplate(), 380);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kItemTitleId), "Printer clock");
}

TEST_F(SvcDlgMainTest, ExecutePressedTwiceStartsOneRunAndTheDoneMessageRefreshes) {
  Attach("LW");
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> started;
  table.Add(210090, "HeldNozzleCheck", [&](OperationRun& run) {
    ran.push_back(210090);
    if (ran.size() > 1) return true;
    started.set_value();
    released.wait();
    run.request.done = 1;
    return true;
  });
  const auto dialog = Open();
  Select(*dialog, "M1");
  ASSERT_TRUE(Shows(*dialog, ui::kExecuteButtonId));
  dialog->Click(ui::kExecuteButtonId);
  started.get_future().wait();
  dialog->Click(ui::kExecuteButtonId);
  EXPECT_TRUE(dialog->KeyDown(ui::kKeyF11));  // taken, but nothing starts
  // Selections and closing wait for the run.
  Select(*dialog, "F2");
  EXPECT_EQ(dialog->Item(ui::kMenuTreeId).tree.Selected(), dialog->ItemOfNode(NodeIndex("M1")));
  EXPECT_EQ(dialog->Request().itemNumber, 10090);
  dialog->CloseBox();
  EXPECT_FALSE(dialog->IsEnded());
  release.set_value();
  dialog->WaitForOperation();
  EXPECT_EQ(ui.RunPosted(), 1);  // the done message
  EXPECT_EQ(ran, std::vector<int>{210090});
  EXPECT_EQ(dialog->Request().done, 1);
  // The service record names the run by the item's title in the tree.
  const auto rows = record::ReadServiceRecord(Environment().folders.csv, "");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].title, dialog->GetDlgItemText(ui::kItemTitleId));
  EXPECT_EQ(rows[0].functionNumber, 210090);

  dialog->Click(ui::kExecuteButtonId);
  dialog->WaitForOperation();
  EXPECT_EQ(ran.size(), 2u);
  dialog->CloseBox();
  EXPECT_TRUE(dialog->IsEnded());
}

TEST_F(SvcDlgMainTest, HotKeysRunOnAnyItemAndCheckUsesItsBase) {
  Attach("LW");
  const auto dialog = Open();
  Select(*dialog, "F");  // a folder
  EXPECT_TRUE(dialog->KeyDown(ui::kKeyF11));
  dialog->WaitForOperation();
  Select(*dialog, "M2");
  dialog->Click(ui::kCheckButtonId);
  dialog->WaitForOperation();
  EXPECT_EQ(ran, (std::vector<int>{ui::kKeyF11, 320080}));
  EXPECT_FALSE(dialog->KeyDown('A'));
}

// The status line tells what the last run came to, and of a button without an operation that
// nothing runs for it: no printer is opened and nothing is recorded.
TEST_F(SvcDlgMainTest, TheStatusLineTellsHowTheLastRunEnded) {
  Attach("LW");
  table.Add(110080, "FailingWrite", [](OperationRun& run) {
    run.env.catalogue.ShowMessageById(operations::kMsgReadBackDiffers, ui::kOk);
    return false;
  });
  const auto dialog = Open();
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), "Status line");
  Select(*dialog, "M2");
  dialog->Click(ui::kCheckButtonId);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), "Read running...");
  dialog->WaitForOperation();
  ui.RunPosted();
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), "Read finished");

  Select(*dialog, "F1");
  dialog->Click(ui::kInputButtonId);
  dialog->WaitForOperation();
  ui.RunPosted();
  const testing_support::ShownMessage differs = Message(operations::kMsgReadBackDiffers);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId),
            "Input failed: " + differs.text.substr(0, differs.text.find_first_of("\r\n")));

  // Stopped at its question by the technician: cancelled, not failed.
  table.Add(110080, "AskedWrite", [](OperationRun& run) {
    return run.env.messages.MessageBox("Write?", "GRELT", ui::kOkCancel) == ui::kAnswerOk;
  });
  ui.QueueAnswer(ui::kAnswerCancel);
  dialog->Click(ui::kInputButtonId);
  dialog->WaitForOperation();
  ui.RunPosted();
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), "Input cancelled");

  EXPECT_TRUE(dialog->KeyDown(ui::kKeyF11));
  dialog->WaitForOperation();
  ui.RunPosted();
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), "F11 finished");

  Select(*dialog, "M3");  // Bi-D: Input has no operation
  Mark();
  const std::size_t runs = ran.size();
  dialog->Click(ui::kInputButtonId);
  dialog->WaitForOperation();
  EXPECT_EQ(dialog->GetDlgItemText(ui::kStatusLineId), ui::kNoOperationText);
  EXPECT_EQ(ran.size(), runs);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(record::ReadServiceRecord(Environment().folders.csv, "").size(), 4u);
}

TEST_F(SvcDlgMainTest, PictureOpensTheItemsJpegCaptionedWithItsTitle) {
  Attach("LW");
  const auto dialog = Open();
  Select(*dialog, "F1");
  dialog->Click(ui::kPictureButtonId);
  const std::vector<ui::UiCall> pictures = ui.Calls(ui::UiCallKind::Picture);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].text, "Head ID | " + folder / "Program/Service/images/head.jpg");
}

TEST_F(SvcDlgMainTest, GuidedModeTicksFinishedStepsAndNextClimbsToTheGroup) {
  Attach("LW");
  const auto dialog = Open(ui::kGuidedFunction);
  EXPECT_TRUE(dialog->GuidedMode());
  const ui::ControlState& tree = dialog->Item(ui::kMenuTreeId);
  EXPECT_EQ(tree.treeImages, (std::vector<int>{212, 214, 213}));
  const auto image = [&](const std::string& section) {
    return tree.tree.Find(dialog->ItemOfNode(NodeIndex(section)))->image;
  };
  EXPECT_EQ(image("X1"), 1);
  EXPECT_EQ(image("X"), -1);
  EXPECT_TRUE(Shows(*dialog, ui::kNextButtonId));
  EXPECT_EQ(dialog->GetDlgItemText(ui::kNextButtonId), "Go on");

  Select(*dialog, "X");
  EXPECT_FALSE(Enables(*dialog, ui::kNextButtonId));  // a group: pick a step first

  // A step without a page of its own is done once read.
  Select(*dialog, "X1");
  EXPECT_EQ(dialog->PageTemplate(), ui::kNoPage);
  EXPECT_TRUE(Enables(*dialog, ui::kNextButtonId));
  dialog->Click(ui::kNextButtonId);
  EXPECT_EQ(image("X1"), 2);
  EXPECT_EQ(tree.tree.Selected(), dialog->ItemOfNode(NodeIndex("X2")));
  EXPECT_EQ(dialog->GetDlgItemText(ui::kNextButtonId), "Done");  // the last step

  // A step with an operation is done only when its run says so.
  dialog->Click(ui::kNextButtonId);
  EXPECT_EQ(image("X2"), 1);
  EXPECT_EQ(tree.tree.Selected(), dialog->ItemOfNode(NodeIndex("X")));
}

TEST(ServiceItemsTest, PagesAndButtonsFollowTheItemNumber) {
  EXPECT_EQ(ui::PageOfItem(10180, false, false).templateId, 377);
  EXPECT_FALSE(ui::PageOfItem(10180, false, false).noPrefetch);
  EXPECT_TRUE(ui::PageOfItem(10170, false, false).noPrefetch);
  EXPECT_EQ(ui::PageOfItem(19999, false, false).templateId, ui::kUnknownItem);
  EXPECT_EQ(ui::PageOfItem(19999, true, true).templateId, ui::kUnknownItem);
  EXPECT_TRUE(ui::PageOfItem(19999, true, false).finished);

  const ui::ItemButtons clock = ui::ButtonsOfItem(10210);
  EXPECT_EQ(clock.shown, ui::kActionExecute | ui::kActionCheck | ui::kActionInput);
  EXPECT_EQ(clock.alwaysEnabled, unsigned{ui::kActionExecute});
  EXPECT_EQ(ui::ButtonsOfItem(20030).alwaysEnabled, unsigned{ui::kActionInput});
  EXPECT_EQ(ui::ButtonsOfItem(0).shown, 0u);
}

TEST_F(SvcDlgMainTest, AHotKeyThatFoundNoPrinterDoesNotSwallowTheNextPress) {
  const auto dialog = Open();
  Select(*dialog, "M1");  // no printer: told once on selection
  Mark();
  EXPECT_TRUE(dialog->KeyDown(ui::kKeyF11));
  dialog->WaitForOperation();
  ui.RunPosted();
  EXPECT_EQ(Shown(), std::vector{Message(operations::kMsgNoPrinter)});
  Attach("LW");
  dialog->Click(ui::kExecuteButtonId);
  dialog->WaitForOperation();
  EXPECT_EQ(ran, std::vector<int>{210090});
}

}  // namespace
