// The shipped program folder is complete: every key the program reads is there, every message
// number the program shows has a text, and the menu tree reads without loss.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "menu/menu_files.h"
#include "menu/menu_tree.h"
#include "operations/service_operations.h"
#include "platform/profile.h"
#include "settings/app_settings.h"
#include "ui/scripted_ui_services.h"
#include "ui/service_items.h"

namespace {

const std::string kData = GRELT_SHIPPED_DATA;

TEST(ShippedData, SettingsFilesNameEveryKey) {
  const settings::AppSettings loaded = settings::LoadSettings(kData);
  EXPECT_EQ(loaded.strProfile, "TR-M7000");
  EXPECT_EQ(loaded.strLanguage, "English");
  EXPECT_EQ(loaded.pnInterface.count, 1);
  EXPECT_EQ(loaded.pnInterface.values[0], 11);

  settings::AppSettings s = loaded;
  const struct {
    std::string path;
    std::vector<settings::IniBinding> table;
  } files[] = {{settings::MainSettingsPath(kData), settings::MainSettingsBindings(s)},
               {settings::ParameterFilePath(kData, s), settings::ParameterBindings(s)},
               {settings::LanguageFilePath(kData, s), settings::LanguageBindings(s)}};
  for (const auto& file : files) {
    const platform::ProfileFile profile = platform::ProfileFile::Load(file.path);
    ASSERT_TRUE(profile.Readable()) << file.path;
    for (const auto& binding : file.table) {
      EXPECT_NE(profile.Find(binding.section, binding.key), nullptr)
          << file.path << ": " << binding.key;
    }
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(loaded.strStatus[i].find("Status - ERROR"), std::string::npos) << i;
    EXPECT_EQ(loaded.strError[i].find("Error - ERROR"), std::string::npos) << i;
  }
}

TEST(ShippedData, EveryMessageTheProgramUsesHasAText) {
  ui::ScriptedUiServices ui;
  const menu::MenuFiles files(ui, kData + "/Service");
  for (int number : {10000001, 10000003, 10000004, 10000005, 11008001, 11010001, 11013001, 11013002,
                     11020001, 11020002, 11021001, 11022001, 11023001, 11024101, 11029001, 11029002,
                     11030001, 11030002, 11039001, 11039101, 12024001, 13002001, 19005001, 90000001,
                     90000002, 90000004, 90000005, 90000006, 90000007, 90000010, 91013001, 91020001,
                     91020002, 91020004, 91020005, 91020006, 91020008, 91023001, 91034001, 91039001,
                     91039002, 91039003, 92000001, 93002001, 99000503, 99000504}) {
    std::string text;
    EXPECT_TRUE(files.LookupMessage(number, text)) << number;
  }
}

TEST(ShippedData, MenusReadCompletely) {
  ui::ScriptedUiServices ui;
  menu::MenuFiles files(ui, kData + "/Service");
  EXPECT_TRUE(files.ReadTree());
  files.ReadMainMenus();
  for (std::size_t i = 0; i < menu::kMainMenusRead; ++i) {
    EXPECT_EQ(files.MainMenus()[i].function, 90010 + 10 * static_cast<int>(i));
  }
  // Every node with a title is shown under one of the three main dialogs.
  std::size_t shown = 0;
  for (int top : {90020, 90030, 90040}) {
    const std::string topName =
        files.ReadMenuKey(menu::kFuncDataFile, std::to_string(top), "TreeTop");
    EXPECT_NE(topName, menu::kMissingRawValue);
    shown += menu::PlanMenuTree(files.Nodes(), topName).size();
  }
  std::size_t titled = 0;
  for (const auto& node : files.Nodes()) titled += node.title.empty() ? 0 : 1;
  EXPECT_EQ(shown, titled);
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::MessageBox).empty());
}

// Reads the first bytes of a file.
std::string Head(const std::string& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  return in.gcount() == static_cast<std::streamsize>(count) ? bytes : std::string();
}

TEST(ShippedData, EveryServiceFunctionHasAnItemItsTextsAndItsPicture) {
  ui::ScriptedUiServices ui;
  menu::MenuFiles files(ui, kData + "/Service");
  ASSERT_TRUE(files.ReadTree());
  std::set<int> shownFunctions;
  for (int top : {90020, 90030, 90040}) {
    const std::string topName =
        files.ReadMenuKey(menu::kFuncDataFile, std::to_string(top), "TreeTop");
    for (const menu::TreeInsertion& insertion : menu::PlanMenuTree(files.Nodes(), topName)) {
      const menu::MenuNode& node = files.Nodes()[static_cast<std::size_t>(insertion.node)];
      shownFunctions.insert(node.function);
      if (!node.pictureName.empty()) {
        const std::string picture = kData + "/Service/images/" + node.pictureName + ".jpg";
        EXPECT_EQ(Head(picture, 3), "\xFF\xD8\xFF") << picture;  // a JPEG file
      }
      // Every action button an item shows has its caption.
      const unsigned shownButtons = ui::ButtonsOfItem(node.function).shown;
      for (int k = 0; k < 4; ++k) {
        if ((shownButtons & (1u << k)) == 0) continue;
        const char* key[4] = {"Button1", "Button2", "Button3", "Button4"};
        EXPECT_NE(files.ReadMenuKey(menu::kFuncDataFile, std::to_string(node.function), key[k]),
                  menu::kMissingRawValue)
            << node.function << " " << key[k];
      }
    }
  }
  // The FunctionIDs that have a page, action buttons or operations in the program. The shipped
  // tree leaves out the placeholders of functions this series does not use: nothing runs behind
  // their buttons and their pages read nothing, so nothing is lost (a customer's tree may name
  // them).
  EXPECT_EQ(ui::ServiceItems().size(), 66u);  // with the service record
  const std::set<int> placeholders = {10020, 10030, 10130, 10140, 10160, 10250, 19010};
  const operations::OperationTable table = operations::ServiceOperations();
  for (const ui::ServiceItem& item : ui::ServiceItems()) {
    const bool placeholder = placeholders.count(item.itemNumber) == 1;
    EXPECT_EQ(shownFunctions.count(item.itemNumber), placeholder ? 0u : 1u) << item.itemNumber;
    if (!placeholder) continue;
    EXPECT_EQ(table.FindItemValues(item.itemNumber), nullptr) << item.itemNumber;
    for (const int base : {operations::kInputBase, operations::kExecuteBase, operations::kCheckBase})
      EXPECT_EQ(table.Find(base + item.itemNumber), nullptr) << base + item.itemNumber;
  }
  for (const char* manual : {"Panel_Menu_Maps.pdf", "Wiring_Diagrams.pdf"})
    EXPECT_EQ(Head(kData + "/Service/" + manual, 5), "%PDF-") << manual;
  EXPECT_EQ(Head(kData + "/grelt02.png", 8), "\x89PNG\r\n\x1A\n");  // the program's icon
}

}  // namespace
