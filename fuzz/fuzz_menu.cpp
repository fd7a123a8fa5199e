// libFuzzer target: the three menu files of the service dialog, all three the same text, read the
// ways the main dialog reads them, and the tree planned from the nodes.

#include <cstddef>
#include <cstdint>

#include "fuzz_files.h"
#include "menu/menu_files.h"
#include "menu/menu_tree.h"
#include "ui/scripted_ui_services.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const char* name : {menu::kFuncDataFile, menu::kTreeDataFile, menu::kStringsFile})
    fuzz::WriteInput(name, data, size);
  ui::ScriptedUiServices ui;
  menu::MenuFiles files(ui, fuzz::ScratchFolder());
  files.ReadTree();
  files.ReadMainMenus();
  menu::PlanMenuTree(files.Nodes(), "ADJ");
  for (const menu::MenuNode& entry : files.MainMenus()) {
    files.ReadMenuKey(menu::kFuncDataFile, std::to_string(entry.function), "TreeTop");
    files.ReadFunctionPageText(entry.function);
  }
  std::string text;
  files.LookupMessage(10000001, text);
  return 0;
}
