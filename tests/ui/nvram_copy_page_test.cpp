// The main-board exchange page in the main service dialog: its texts, its check box choosing the
// image file, and the serial number of the image a restore read.

#include <gtest/gtest.h>


#include "operations/service_operations.h"
#include "support/main_dialog_fixture.h"
#include "ui/pages/nvram_copy_page.h"
#include "ui/svc_dlg_main.h"
#include "ui/template_ids.h"

namespace {

class NvramCopyPageTest : public testing_support::MainDialogFixture {
protected:
  NvramCopyPageTest() {
    WriteMenuFile("ext_strings.ini", ShippedMenuFile("ext_strings.ini"));
    WriteMenuFile("ext_funcdata.ini",
                  ShippedMenuFile("ext_funcdata.ini") + "\n[90099]\nTreeTop=TOP\n");
    WriteMenuFile("ext_treedata.ini",
                  "[B]\nParent=TOP\nTitle=Board exchange\nExecFunc=0\n"
                  "[B1]\nParent=B\nTitle=Back up and restore\nExecFunc=10200\n"
                  "[B2]\nParent=B\nTitle=Not used\nExecFunc=10250\n");
    table = operations::ServiceOperations();
    Attach("LW");
  }
  void Select(ui::CSvcDlgMain& dialog, int node) {
    dialog.SelectTreeItem(ui::kMenuTreeId, dialog.ItemOfNode(node));
  }
  void Press(ui::CSvcDlgMain& dialog, int button) {
    dialog.Click(button);
    dialog.WaitForOperation();
    ui.RunPosted();
  }
  const ui::CDialog& Page(const ui::CSvcDlgMain& dialog) {
    return *dialog.Pages().front().page;
  }
};

TEST_F(NvramCopyPageTest, TheCheckBoxChoosesTheImageAndTheSerialOfTheImageIsShown) {
  const auto dialog = Open(90099);
  Select(*dialog, 1);
  ASSERT_EQ(dialog->PageTemplate(), ui::kNvramCopyTemplate);
  const ui::CDialog& page = Page(*dialog);
  EXPECT_EQ(page.GetDlgItemText(ui::kNvramCopyLabelId), "Serial number of the image");
  EXPECT_EQ(page.GetDlgItemText(ui::kNvramCopyFromFileId), "Restore from a backup file");
  EXPECT_EQ(page.IsDlgButtonChecked(ui::kNvramCopyFromFileId), 0);
  EXPECT_EQ(dialog->Request().selector, 0);

  Press(*dialog, ui::kExecuteButtonId);  // the backup into the work files
  ui.QueueAnswer(ui::kAnswerCancel);     // at the question: nothing is written
  Press(*dialog, ui::kInputButtonId);
  const std::string serial(reinterpret_cast<const char*>(Peek(66, 10).data()), 10);
  EXPECT_EQ(Page(*dialog).GetDlgItemText(ui::kNvramCopySerialId), serial);
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::OpenFile).empty());

  // Checked, the restore asks for the file (cancelled here); a new opening clears the box.
  const_cast<ui::CDialog&>(Page(*dialog)).Click(ui::kNvramCopyFromFileId);
  Press(*dialog, ui::kInputButtonId);
  EXPECT_EQ(dialog->Request().selector, 1);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::OpenFile).size(), 1u);
  Select(*dialog, 2);
  Select(*dialog, 1);
  EXPECT_EQ(Page(*dialog).IsDlgButtonChecked(ui::kNvramCopyFromFileId), 0);
  EXPECT_EQ(dialog->Request().selector, 0);
}

TEST_F(NvramCopyPageTest, TheUnusedItemShowsNothingOfThePage) {
  const auto dialog = Open(90099);
  Select(*dialog, 2);
  ASSERT_EQ(dialog->PageTemplate(), ui::kNvramCopyTemplate);
  for (int id : {ui::kNvramCopyLabelId, ui::kNvramCopySerialId, ui::kNvramCopyFromFileId})
    EXPECT_FALSE(Page(*dialog).Item(id).visible) << id;
}

}  // namespace
