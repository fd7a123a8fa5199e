// menu functions: every item of the service menus with its buttons, the function number each
// button runs and the operation behind it, read from the menu files and the program's own tables,
// so that the README's table of them cannot go stale.

#include "app/grelt02_app.h"
#include "commands.h"
#include "menu/menu_tree.h"
#include "operations/dispatcher.h"
#include "operations/service_operations.h"
#include "platform/paths.h"
#include "ui/service_items.h"

namespace cli {
namespace {

struct ButtonRole {
  unsigned bit;
  const char* role;
  int base;
  const char* captionKey;
};

// Option runs under the Check base, as the service dialog forms it.
constexpr ButtonRole kButtonRoles[] = {
    {ui::kActionExecute, "Execute", operations::kExecuteBase, "Button1"},
    {ui::kActionCheck, "Check", operations::kCheckBase, "Button2"},
    {ui::kActionInput, "Input", operations::kInputBase, "Button3"},
    {ui::kActionOption, "Option", operations::kCheckBase, "Button4"},
};

Json ButtonsOf(const menu::MenuFiles& files, const operations::OperationTable& table, int item) {
  Json buttons = Json::array();
  for (const ButtonRole& role : kButtonRoles) {
    if ((ui::ButtonsOfItem(item).shown & role.bit) == 0) continue;
    std::string caption = files.ReadMenuKey(menu::kFuncDataFile, std::to_string(item),
                                            role.captionKey);
    if (caption == menu::kMissingRawValue) caption = role.role;
    const int number = operations::FunctionNumber(role.base, item);
    const operations::OperationEntry* operation = table.Find(number);
    buttons.push_back({{"button", caption},
                       {"function", number},
                       {"operation", operation != nullptr ? Json(operation->name) : Json()}});
  }
  return buttons;
}

Json FunctionTable(menu::MenuFiles& files) {
  const operations::OperationTable table = operations::ServiceOperations();
  files.ReadMainMenus();
  files.ReadTree();
  Json items = Json::array();
  for (const int top : app::kServiceMenuFunctions) {
    std::string menuTitle;
    for (const menu::MenuNode& entry : files.MainMenus())
      if (entry.function == top) menuTitle = entry.title;
    const std::string topName =
        files.ReadMenuKey(menu::kFuncDataFile, std::to_string(top), "TreeTop");
    for (const menu::TreeInsertion& insertion : menu::PlanMenuTree(files.Nodes(), topName)) {
      const menu::MenuNode& node = files.Nodes()[static_cast<std::size_t>(insertion.node)];
      if (node.function == 0) continue;
      const std::string group =
          insertion.parent == menu::kTreeRoot
              ? ""
              : files.Nodes()[static_cast<std::size_t>(insertion.parent)].title;
      items.push_back({{"menu", menuTitle},
                       {"group", group},
                       {"title", node.title},
                       {"item", node.function},
                       {"buttons", ButtonsOf(files, table, node.function)}});
    }
  }
  return items;
}

// One row an item: its buttons as "Caption 210090 `Operation`", or "no operation".
std::string Markdown(const Json& items) {
  std::string text = "| menu | item | number | buttons: function number and operation |\n";
  text += "|---|---|---|---|\n";
  for (const auto& item : items) {
    std::string buttons;
    for (const auto& button : item["buttons"]) {
      if (!buttons.empty()) buttons += "; ";
      buttons += button["button"].get<std::string>() + " " +
                 std::to_string(button["function"].get<int>()) + " " +
                 (button["operation"].is_null()
                      ? std::string("(no operation)")
                      : "`" + button["operation"].get<std::string>() + "`");
    }
    const std::string group = item["group"];
    text += "| " + item["menu"].get<std::string>() + " | " + (group.empty() ? "" : group + " › ") +
            item["title"].get<std::string>() + " | " + std::to_string(item["item"].get<int>()) +
            " | " + (buttons.empty() ? "(read only)" : buttons) + " |\n";
  }
  return text;
}

}  // namespace

void AddFunctionTableCommand(CLI::App& menuCommand, CommandContext& context,
                             ui::UiServices& ui) {
  auto markdown = std::make_shared<bool>(false);
  CLI::App* functions = menuCommand.add_subcommand(
      "functions",
      "Every item of the service menus: its buttons, the function number each runs and the "
      "operation behind it (null: none)");
  functions->add_flag("--markdown", *markdown, "As the README's table instead of JSON");
  functions->callback([&context, &ui, markdown] {
    context.run = [&ui, markdown] {
      menu::MenuFiles files(ui, platform::ServiceFolder(platform::GetProgramFolder()));
      const Json items = FunctionTable(files);
      if (*markdown) {
        std::cout << Markdown(items);
      } else {
        Print(items);
      }
    };
  });
}

}  // namespace cli
