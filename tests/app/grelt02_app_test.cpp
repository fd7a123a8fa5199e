// The application object on the shipped program folder with a virtual printer plugged in: the
// start screen opens the main service dialog, whose selection reads from the printer.

#include "app/grelt02_app.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"
#include "ui/scripted_ui_services.h"
#include "ui/svc_dlg_main.h"
#include "ui/template_ids.h"
#include "vprinter/attachment.h"
#include "vprinter/virtual_printer.h"

namespace fs = std::filesystem;

namespace {

class Grelt02AppTest : public ::testing::Test {
protected:
  Grelt02AppTest() {
    fs::copy(GRELT_SHIPPED_DATA, program.Path(), fs::copy_options::recursive);
    vprinter::RegisterVirtualPrinters(clock);
  }
  ~Grelt02AppTest() override { driver::DeviceDirectory::ForgetConnections(); }

  std::shared_ptr<vprinter::VirtualPrinter> Attach(const std::string& model) {
    platform::Registry registry(platform::Registry::DefaultRoot(program.Path()), clock);
    driver::DeviceDirectory directory(registry);
    std::string error;
    const auto info =
        vprinter::AttachVirtualPrinter(directory, program.Path(), model, "lw", 11, clock, &error);
    EXPECT_TRUE(info.has_value()) << error;
    return std::static_pointer_cast<vprinter::VirtualPrinter>(
        directory.FindByLink(info->attachment.link));
  }
  // Clicks a main-menu button of the start screen as the technician does.
  void PressMainMenu(int entry) {
    ui.QueueDialogAction([entry](ui::CDialog& start) {
      start.SetFocus(ui::kMainMenuButtonIds[entry]);
      start.Click(ui::kMainMenuButtonIds[entry]);
    });
  }

  testing_support::TempFolder program;
  platform::FakeClock clock;
  ui::ScriptedUiServices ui;
};

// The handle of the first tree item with this text, or kNoTreeItem.
int FindItem(const ui::CDialog& dialog, const std::string& text) {
  const ui::TreeItems& tree = dialog.Item(ui::kMenuTreeId).tree;
  for (int handle = 1; handle <= static_cast<int>(tree.Size()); ++handle) {
    if (tree.Find(handle)->text == text) return handle;
  }
  return ui::kNoTreeItem;
}

TEST_F(Grelt02AppTest, TheServiceMenuReadsTheSelectedItemFromThePrinter) {
  Attach("LW")->WriteNvram(114, {0x00, 0x26, 0xAB, 0x10, 0x20, 0x30});
  app::CGrelt02App application(ui, program.Path(), clock);
  PressMainMenu(1);
  std::vector<int> macBytes;
  ui.QueueDialogAction([&](ui::CDialog& dialog) {
    auto& main = dynamic_cast<ui::CSvcDlgMain&>(dialog);
    const int item = FindItem(main, "MAC address");
    ASSERT_NE(item, ui::kNoTreeItem);
    main.SelectTreeItem(ui::kMenuTreeId, item);
    const auto& shown = main.Request().shownValues;
    macBytes.assign(shown.begin(), shown.begin() + 6);
    EXPECT_EQ(main.GetDlgItemText(ui::kItemTitleId), "MAC address");
  });
  EXPECT_FALSE(application.InitInstance());
  EXPECT_EQ(macBytes, (std::vector<int>{0x00, 0x26, 0xAB, 0x10, 0x20, 0x30}));
  const std::vector<ui::UiCall> dialogs = ui.Calls(ui::UiCallKind::Dialog);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].style, unsigned{ui::kMainDialogTemplate});
  EXPECT_EQ(dialogs[0].caption, "Adjustment and Service");
  EXPECT_EQ(dialogs[1].style, unsigned{ui::kStartScreenTemplate});
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::MessageBox).empty());
}

TEST_F(Grelt02AppTest, OnlyTheServiceMenusOpenTheMainDialogAndExchangeIsGuided) {
  app::CGrelt02App application(ui, program.Path(), clock);
  PressMainMenu(2);
  bool guided = false;
  std::vector<int> images;
  ui.QueueDialogAction([&](ui::CDialog& dialog) {
    auto& main = dynamic_cast<ui::CSvcDlgMain&>(dialog);
    guided = main.GuidedMode();
    // The steps that are only read need no printer: none is attached, and nothing is said.
    const int first = FindItem(main, "Switch off");
    ASSERT_NE(first, ui::kNoTreeItem);
    main.SelectTreeItem(ui::kMenuTreeId, first);
    main.SetFocus(ui::kNextButtonId);
    main.Click(ui::kNextButtonId);
    main.Click(ui::kNextButtonId);
    const ui::TreeItems& tree = main.Item(ui::kMenuTreeId).tree;
    for (const int handle : {first, FindItem(main, "Open the covers")})
      images.push_back(tree.Find(handle)->image);
    EXPECT_EQ(tree.Selected(), FindItem(main, "Before you start"));
  });
  application.InitInstance();
  EXPECT_TRUE(guided);
  EXPECT_EQ(images, (std::vector<int>{2, 2}));
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::MessageBox).empty());
  EXPECT_EQ(application.MakeFunctionDialog(12345, "x"), nullptr);
  EXPECT_EQ(application.MakeFunctionDialog(90010, "NVRAM Backup")->TemplateId(), 359);
  EXPECT_EQ(application.MakeFunctionDialog(90050, "Firmware Update")->TemplateId(), 384);
  EXPECT_EQ(application.MakeFunctionDialog(90060, "Print File")->TemplateId(), 373);
  EXPECT_NE(application.MakeFunctionDialog(90040, "Line Inspection"), nullptr);
}

TEST_F(Grelt02AppTest, AMissingLanguageFileIsToldOnTheStartScreenAndInTheStatusLine) {
  fs::remove(program / "Parameter/TR-M7000/English.mnu");
  app::CGrelt02App application(ui, program.Path(), clock);
  std::string note;
  std::string status;
  ui.QueueDialogAction([&](ui::CDialog& start) {
    note = start.GetDlgItemText(ui::kStartNoteId);
    start.SetFocus(ui::kMainMenuButtonIds[1]);
    start.Click(ui::kMainMenuButtonIds[1]);
  });
  ui.QueueDialogAction(
      [&](ui::CDialog& main) { status = main.GetDlgItemText(ui::kStatusLineId); });
  application.InitInstance();
  for (const std::string& text : {note, status}) {
    EXPECT_TRUE(text.starts_with("The language file ")) << text;
    EXPECT_TRUE(text.ends_with("English.mnu cannot be read; the built-in texts are used")) << text;
  }
}

}  // namespace
