#pragma once
// The main service dialog over the service fixture's environment, with menu files of the test's
// own in a scratch program folder.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "operations/operation_request.h"
#include "operations/service_operations.h"
#include "support/service_fixture.h"
#include "ui/pages/page_table.h"
#include "ui/svc_dlg_main.h"
#include "ui/template_ids.h"

namespace testing_support {

class MainDialogFixture : public ServiceFixture {
protected:
  MainDialogFixture() { UseServiceFolder(folder / "Program/Service"); }

  // Writes one of the dialog's menu files.
  void WriteMenuFile(const std::string& name, const std::string& content) {
    folder.Write("Program/Service/" + name, content);
  }
  // The text of a menu file as the program ships it.
  static std::string ShippedMenuFile(const std::string& name) {
    std::ifstream in(std::string(GRELT_DATA_DIR) + "/Service/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::unique_ptr<ui::CSvcDlgMain> Open(int top, const ui::PageTable& pages = ui::ProgramPages()) {
    auto dialog = std::make_unique<ui::CSvcDlgMain>(
        ui, ui::ServiceContext{Environment(), table, pages}, "Adjustment and Service", top);
    EXPECT_TRUE(dialog->Create());
    return dialog;
  }
  static bool Shows(const ui::CDialog& dialog, int id) { return dialog.Item(id).visible; }
  static bool Enables(const ui::CDialog& dialog, int id) { return dialog.Item(id).enabled; }
};

// The main dialog as the program ships it: its menus and operations, over a printer of model LW.
class ShippedMenusFixture : public MainDialogFixture {
protected:
  ShippedMenusFixture() {
    for (const char* name : {"ext_strings.ini", "ext_funcdata.ini", "ext_treedata.ini"})
      WriteMenuFile(name, ShippedMenuFile(name));
    table = operations::ServiceOperations();
    Attach("LW");
  }
  // Opens the dialog of a start-screen entry with the first item of this title selected.
  std::unique_ptr<ui::CSvcDlgMain> OpenAt(const std::string& title, int top = 90020) {
    auto dialog = Open(top);
    const ui::TreeItems& tree = dialog->Item(ui::kMenuTreeId).tree;
    for (int handle = 1; handle <= static_cast<int>(tree.Size()); ++handle) {
      if (tree.Find(handle)->text == title) {
        dialog->SelectTreeItem(ui::kMenuTreeId, handle);
        break;
      }
    }
    EXPECT_NE(dialog->CurrentPage(), nullptr) << title;
    return dialog;
  }
  static ui::TStackedPage& Page(const ui::CSvcDlgMain& dialog) {
    return *dialog.CurrentPage()->page;
  }
  // Presses a button of the dialog as a technician does, and lets the run it starts end.
  void Press(ui::CSvcDlgMain& dialog, int button) {
    dialog.SetFocus(button);
    dialog.Click(button);
    dialog.WaitForOperation();
    ui.RunPosted();
  }
  // A page of the program on its own, over a request the test makes up.
  std::unique_ptr<ui::TStackedPage> PageOver(int templateId,
                                             operations::OperationRequest& request) {
    auto page = ui::ProgramPages().MakePage(templateId, {ui, Environment().catalogue});
    EXPECT_TRUE(page->Create());
    page->AttachRequest(request);
    return page;
  }
};

}  // namespace testing_support
