// The recipes of the architecture page, followed by a newcomer: an operation, a page and a
// virtual-printer command, each one piece of code and one table row, run from a button of the
// main service dialog down to the printer's NVRAM and back to the page.

#include <gtest/gtest.h>

#include "operations/service_operations.h"
#include "support/main_dialog_fixture.h"
#include "vprinter/command_table.h"

namespace {

constexpr int kItem = 10230;        // shows template 362, offers Check
constexpr int kPageTemplate = 362;  // the page the item's row names
constexpr int kInputId = 1351;
constexpr int kResultId = 1352;
constexpr driver::FactoryCode kStoreByte{0x7D, 0xEE};  // a command no printer has yet
constexpr int kStoredAt = 0x2000;

// The page: an edit whose number the operation sends, and a line that shows what came back.
class DummyPage : public ui::TStackedPage {
public:
  using TStackedPage::TStackedPage;
  bool CollectInput() override {
    Request()->inputText = GetDlgItemText(kInputId);
    return !Request()->inputText.empty();
  }
  bool RefreshPage() override {
    SetDlgItemText(kResultId, Request()->outputText);
    return true;
  }
};

ui::DialogTemplate DummyLayout() {
  return {kPageTemplate,
          "",
          237,
          160,
          {{kInputId, ui::ControlKind::Edit, "", {10, 10, 100, 14}},
           {kResultId, ui::ControlKind::Static, "", {10, 30, 100, 14}}}};
}

// The operation: sends the number with the new command, reads the printer's byte back.
bool StoreAndReadBack(operations::OperationRun& run) {
  const auto value = static_cast<std::uint8_t>(std::stoi(run.request.inputText));
  std::uint8_t back = 0;
  if (!run.link.AppendFactory(kStoreByte, 0x01, &value, 1) || !run.link.FlushJob() ||
      !run.link.ReadCtrlNvram(kStoredAt, back))
    return false;
  run.request.outputText = "stored " + std::to_string(back);
  run.request.done = 1;
  return true;
}

class RecipesTest : public testing_support::MainDialogFixture {
protected:
  RecipesTest() {
    WriteMenuFile("ext_treedata.ini", "[A]\nParent=TOP\nTitle=Store a byte\nExecFunc=10230\n");
    WriteMenuFile("ext_funcdata.ini", "[90099]\nTreeTop=TOP\n[10230]\nButton2=Store\n");
  }
};

TEST_F(RecipesTest, AnOperationAPageAndACommandEachJoinWithOneRow) {
  auto printer = Attach("LW");
  vprinter::CommandTable commands = vprinter::StandardCommands();
  commands.Add(kStoreByte, 1, [](vprinter::PrinterContext& p, const vprinter::Bytes& params) {
    p.State().nvram[kStoredAt] = params[0];
  });
  printer->UseCommands(commands);
  table = operations::ServiceOperations();
  table.Add(operations::kCheckBase + kItem, "StoreAndReadBack", StoreAndReadBack);
  ui::PageTable pages;
  pages.Add(DummyLayout(), [](const ui::DialogTemplate& layout, const ui::PageServices& services) {
    return std::make_unique<DummyPage>(layout, services.ui);
  });

  const auto dialog = Open(90099, pages);
  dialog->SelectTreeItem(ui::kMenuTreeId, dialog->ItemOfNode(0));
  ASSERT_NE(dialog->CurrentPage(), nullptr);
  ui::CDialog& page = *dialog->CurrentPage()->page;
  page.EditText(kInputId, "77");
  ASSERT_TRUE(Shows(*dialog, ui::kCheckButtonId));
  EXPECT_EQ(dialog->GetDlgItemText(ui::kCheckButtonId), "Store");
  dialog->Click(ui::kCheckButtonId);
  dialog->WaitForOperation();
  EXPECT_EQ(ui.RunPosted(), 1);  // the done message refreshes the page
  EXPECT_EQ(page.GetDlgItemText(kResultId), "stored 77");
  EXPECT_EQ(Peek(kStoredAt, 1), vprinter::Bytes{77});
  EXPECT_TRUE(Shown().empty());
}

}  // namespace
