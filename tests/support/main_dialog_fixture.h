#pragma once
// The main service dialog over the service fixture's environment, with menu files of the test's
// own in a scratch program folder.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "support/service_fixture.h"
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

}  // namespace testing_support
