#include "menu/menu_files.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "ui/scripted_ui_services.h"

namespace {

class MenuFilesTest : public ::testing::Test {
protected:
  void Write(std::string_view file, std::string_view text) { folder_.Write(file, text); }
  menu::MenuFiles Files() { return menu::MenuFiles(ui_, folder_.Path()); }

  testing_support::TempFolder folder_;
  ui::ScriptedUiServices ui_;
};

std::string TreeOf(int sections, const char* prefix = "") {
  std::string text;
  for (int i = 0; i < sections; ++i) {
    text += "[" + std::string(prefix) + std::to_string(i) + "]\nTitle=Node " + std::to_string(i) +
            "\nExecFunc=" + std::to_string(10000 + i) + "\n";
  }
  return text;
}

TEST_F(MenuFilesTest, TreeNodesAreReadInFileOrder) {
  Write("ext_treedata.ini",
        "[Top]\nParent=ROOT\nTitle=Adjustments\nExText=Line one\\nLine two\n"
        "[Serial]\nParent=Top\nTitle=Serial number ; "
        "comment\nExecFunc=10230\npicture_filename=serial\n");
  menu::MenuFiles files = Files();
  EXPECT_TRUE(files.ReadTree());
  const auto& nodes = files.Nodes();
  EXPECT_EQ(nodes[0].section, "Top");
  EXPECT_EQ(nodes[0].exText, "Line one\r\nLine two");
  EXPECT_EQ(nodes[0].function, 0);
  EXPECT_EQ(nodes[1].section, "Serial");
  EXPECT_EQ(nodes[1].parent, "Top");
  EXPECT_EQ(nodes[1].title, "Serial number");
  EXPECT_EQ(nodes[1].function, 10230);
  EXPECT_EQ(nodes[1].pictureName, "serial");
  EXPECT_EQ(nodes[2].section, "");
  EXPECT_EQ(nodes[2].title, "");
  EXPECT_TRUE(ui_.Calls(ui::UiCallKind::MessageBox).empty());
}

TEST_F(MenuFilesTest, ReadingAgainForgetsNodesThatAreGone) {
  Write("ext_treedata.ini", TreeOf(3));
  menu::MenuFiles files = Files();
  files.ReadTree();
  Write("ext_treedata.ini", TreeOf(1));
  files.ReadTree();
  EXPECT_EQ(files.Nodes()[0].title, "Node 0");
  EXPECT_EQ(files.Nodes()[1].title, "");
  EXPECT_EQ(files.Nodes()[1].section, "");
}

TEST_F(MenuFilesTest, OnlyTheFirst400SectionsAreUsedAndTheTechnicianIsTold) {
  Write("ext_treedata.ini",
        TreeOf(401));  // names short enough for the whole list to fit the buffer
  menu::MenuFiles files = Files();
  EXPECT_FALSE(files.ReadTree());
  EXPECT_EQ(files.Nodes()[399].title, "Node 399");
  EXPECT_EQ(files.Nodes()[399].function, 10399);
  ASSERT_EQ(ui_.Calls(ui::UiCallKind::MessageBox).size(), 1u);
  EXPECT_EQ(ui_.Calls(ui::UiCallKind::MessageBox)[0].text, "Cannot Read The Menu.");
}

TEST_F(MenuFilesTest, ANameListLongerThanItsBufferIsAFailedRead) {
  // 200 names of 12 characters need 2601 bytes; the buffer takes 1600.
  Write("ext_treedata.ini", TreeOf(200, "LongSection"));
  menu::MenuFiles files = Files();
  EXPECT_FALSE(files.ReadTree());
  ASSERT_EQ(ui_.Calls(ui::UiCallKind::MessageBox).size(), 1u);
  EXPECT_EQ(ui_.Calls(ui::UiCallKind::MessageBox)[0].text, "Cannot Read The Menu.");
  // The complete names before the cut are still read.
  EXPECT_EQ(files.Nodes()[0].title, "Node 0");
  EXPECT_EQ(files.Nodes()[100].title, "Node 100");
}

TEST_F(MenuFilesTest, AMissingTreeFileOrOneWithoutAUsableNodeIsAFailedRead) {
  menu::MenuFiles files = Files();
  EXPECT_FALSE(files.ReadTree());
  for (const char* text : {"; no sections yet\n", "\xF6\x01garbage\n\x7F\x45LF\n",
                           "[A]\nTitle=No parent\n[B]\nParent=A\n"}) {
    Write("ext_treedata.ini", text);
    EXPECT_FALSE(files.ReadTree()) << text;
  }
  EXPECT_EQ(ui_.Calls(ui::UiCallKind::MessageBox).size(), 4u);
  EXPECT_EQ(ui_.Calls(ui::UiCallKind::MessageBox)[3].text, "Cannot Read The Menu.");
  Write("ext_treedata.ini", "[A]\nParent=TOP\nTitle=One usable node\n");
  EXPECT_TRUE(files.ReadTree());
  EXPECT_EQ(ui_.Calls(ui::UiCallKind::MessageBox).size(), 4u);
}

TEST_F(MenuFilesTest, MissingFilesReadAsFilesWithoutKeys) {
  menu::MenuFiles files = Files();
  files.ReadMainMenus();
  for (std::size_t i = 0; i < menu::kMainMenusRead; ++i) {
    EXPECT_EQ(files.MainMenus()[i].title, "");
    EXPECT_EQ(files.MainMenus()[i].function, 0);
  }
  const menu::FunctionPageText page = files.ReadFunctionPageText(10230);
  EXPECT_EQ(page.button[0], "");
  EXPECT_EQ(page.dlgPicCount, 0u);
  EXPECT_EQ(files.ReadMenuKey(menu::kFuncDataFile, "Main", "Title"), "---");
  std::string text;
  EXPECT_FALSE(files.LookupMessage(10000001, text));
}

TEST_F(MenuFilesTest, MainMenusAreReadAsTexts) {
  Write(
      "ext_funcdata.ini",
      "[Main]\nTitle=A;B\n[MainMenu1]\nTitle=A;B\nExText=Back up\\nand restore\nFunctionID=90010\n"
      "[MainMenu3]\nTitle=Third\nFunctionID=0x15FB2\n[MainMenu8]\nTitle=Never read\n");
  menu::MenuFiles files = Files();
  files.ReadMainMenus();
  const auto& menus = files.MainMenus();
  EXPECT_EQ(menus[0].title, "A");  // cut at the comment, unlike the raw read below
  EXPECT_EQ(menus[0].exText, "Back up\r\nand restore");
  EXPECT_EQ(menus[0].function, 90010);
  EXPECT_EQ(menus[0].section, "MainMenu1");
  EXPECT_EQ(menus[1].title, "");
  EXPECT_EQ(menus[2].function, 90034);
  EXPECT_EQ(menus[7].title, "");
  EXPECT_EQ(files.ReadMenuKey("ext_funcdata.ini", "Main", "Title"), "A;B");
}

TEST_F(MenuFilesTest, RawReadsKeepTheValueAsWritten) {
  Write("ext_funcdata.ini", "[Main]\nVersion=1.16\nButton1=  EXIT ; closes  \nEmpty=\n");
  menu::MenuFiles files = Files();
  EXPECT_EQ(files.ReadMenuKey("ext_funcdata.ini", "Main", "Version"), "1.16");
  EXPECT_EQ(files.ReadMenuKey("ext_funcdata.ini", "Main", "Button1"), "EXIT ; closes");
  EXPECT_EQ(files.ReadMenuKey("ext_funcdata.ini", "Main", "Empty"), "");
  EXPECT_EQ(files.ReadMenuKey("ext_funcdata.ini", "Main", "Absent"), "---");
  EXPECT_EQ(files.ReadMenuKey("missing.ini", "Main", "Version"), "---");
}

TEST_F(MenuFilesTest, PageTextsStopAtTheFirstEmptyPictureOrDialogText) {
  Write("ext_funcdata.ini",
        "[10230]\nButton2=Check\nText1=Serial number\nText16=last\n"
        "DlgPic1=a\nDlgPic2=b\nDlgPic4=d\n"
        "DlgText1=one\nDlgText2=\nDlgText3=three\n");
  const menu::FunctionPageText page = Files().ReadFunctionPageText(10230);
  EXPECT_EQ(page.button[0], "");
  EXPECT_EQ(page.button[1], "Check");
  EXPECT_EQ(page.text[0], "Serial number");
  EXPECT_EQ(page.text[15], "last");
  EXPECT_EQ(page.dlgPicCount, 2u);
  EXPECT_EQ(page.dlgPic[1], "b");
  EXPECT_EQ(page.dlgPic[3], "");
  EXPECT_EQ(page.dlgTextCount, 1u);
  EXPECT_EQ(page.dlgText[2], "");

  Write("ext_funcdata.ini",
        "[1]\nDlgPic1=1\nDlgPic2=2\nDlgPic3=3\nDlgPic4=4\nDlgPic5=5\nDlgPic6=6\n"
        "DlgPic7=7\nDlgPic8=8\nDlgPic9=9\nDlgPic10=10\nDlgPic11=11\nDlgPic12=12\n"
        "DlgPic13=13\nDlgPic14=14\nDlgPic15=15\nDlgPic16=16\nDlgPic17=17\n");
  const menu::FunctionPageText full = Files().ReadFunctionPageText(1);
  EXPECT_EQ(full.dlgPicCount, 16u);
  EXPECT_EQ(full.dlgPic[15], "16");
}

TEST_F(MenuFilesTest, MessagesCarryTheIconOfTheirFirstDigit) {
  Write("ext_strings.ini",
        "[MESSAGE]\n91039003=Failed\\nCheck the cable\n11039101=Done\n"
        "19005001=Info\n99000503=Error\n50000000=Neither\n");
  const menu::MenuFiles files = Files();
  ui_.QueueAnswer(ui::kAnswerCancel);
  EXPECT_EQ(files.ShowMessageById(91039003, ui::kOkCancel), ui::kAnswerCancel);
  files.ShowMessageById(11039101, ui::kOk);
  files.ShowMessageById(19005001, ui::kYesNo);
  files.ShowMessageById(99000503, ui::kOk);
  files.ShowMessageById(50000000, ui::kOk);
  const auto shown = ui_.Calls(ui::UiCallKind::MessageBox);
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[0].text, "Failed\r\nCheck the cable");
  EXPECT_EQ(shown[0].caption, ui::kApplicationTitle);
  EXPECT_EQ(shown[0].style, ui::kOkCancel | ui::kIconError);
  EXPECT_EQ(shown[1].style, ui::kOk | ui::kIconInformation);
  EXPECT_EQ(shown[2].style, ui::kYesNo | ui::kIconInformation);
  EXPECT_EQ(shown[3].style, ui::kOk | ui::kIconError);
  EXPECT_EQ(shown[4].style, ui::kOk);
}

TEST_F(MenuFilesTest, AMissingMessageStillSaysWhichOneWasMeant) {
  Write("ext_strings.ini", "[MESSAGE]\n90000001=Printer not found\n90000002=\n");
  const menu::MenuFiles files = Files();
  std::string text = "stale";
  EXPECT_TRUE(files.LookupMessage(90000001, text));
  EXPECT_EQ(text, "Printer not found");
  EXPECT_FALSE(files.LookupMessage(90000002, text));  // present but empty counts as missing
  EXPECT_EQ(text, "");
  EXPECT_FALSE(files.LookupMessage(12345678, text));
  files.ShowMessageById(90000005, ui::kOk);
  ASSERT_EQ(ui_.Calls(ui::UiCallKind::MessageBox).size(), 1u);
  EXPECT_EQ(ui_.Calls(ui::UiCallKind::MessageBox)[0].text,
            "Message 90000005 is missing from ext_strings.ini.");
  EXPECT_EQ(ui_.Calls(ui::UiCallKind::MessageBox)[0].style, ui::kOk | ui::kIconError);
}

}  // namespace
