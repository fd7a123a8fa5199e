// The start screen and the manuals dialog, on the shipped menu files and on scratch ones.

#include "ui/start_screen.h"

#include <gtest/gtest.h>

#include "operations/printer_chooser.h"
#include "operations/service_operations.h"
#include "platform/paths.h"
#include "printer/port_map.h"
#include "support/service_fixture.h"
#include "support/temp_folder.h"
#include "ui/scripted_ui_services.h"
#include "ui/template_ids.h"

namespace {

using ui::CSvcStartup;

class StartScreenTest : public ::testing::Test {
protected:
  // A start screen whose function dialogs are recorded and made as plain message dialogs.
  std::unique_ptr<CSvcStartup> Make(const std::string& programFolder) {
    auto screen = std::make_unique<CSvcStartup>(
        ui, programFolder, [this](int function, const std::string& title) {
          opened.emplace_back(function, title);
          return function == 90020 ? std::make_unique<ui::CDialog>(ui::kMessageDialogTemplate, ui)
                                   : nullptr;
        });
    EXPECT_TRUE(screen->Create());
    return screen;
  }
  void WriteFuncData(const std::string& text) { folder.Write("Service/ext_funcdata.ini", text); }

  testing_support::TempFolder folder;
  ui::ScriptedUiServices ui;
  std::vector<std::pair<int, std::string>> opened;
};

TEST_F(StartScreenTest, TheShippedMenusFillTheScreen) {
  auto screen = Make(GRELT_DATA_DIR);
  // One version: the window title, the sheet headers and the package tell the same.
  EXPECT_EQ(screen->Caption(), "Service Program Ver." GRELT_VERSION);
  EXPECT_EQ(screen->ProgramVersion(), GRELT_VERSION);
  EXPECT_EQ(screen->GetDlgItemText(ui::kStartHeadingId), "TR-M7000 Series Service Program");
  EXPECT_EQ(screen->GetDlgItemText(ui::kStartNoteId), "");
  EXPECT_EQ(screen->GetDlgItemText(ui::IDCANCEL), "EXIT");
  EXPECT_EQ(screen->GetDlgItemText(2016), "Parts Exchange");
  EXPECT_EQ(screen->Item(2014).font->weight, 700);
  EXPECT_EQ(screen->Item(ui::kStartNoteId).font->faceName, "Verdana");
  for (const int id : ui::kMainMenuButtonIds) EXPECT_TRUE(screen->Item(id).visible) << id;

  // The pressed button opens its function's dialog over the screen, with the entry's title.
  screen->Click(2015);
  screen->Click(2016);
  EXPECT_EQ(opened, (std::vector<std::pair<int, std::string>>{{90020, "Adjustment and Service"},
                                                              {90030, "Parts Exchange"}}));
  EXPECT_EQ(ui.Calls(ui::UiCallKind::Dialog).size(), 1u);  // only 90020 has a dialog here
  EXPECT_FALSE(screen->IsEnded());
}

TEST_F(StartScreenTest, EmptyTitlesHideTheirEntryAndAMissingFileHidesAll) {
  WriteFuncData(
      "[Main]\nTitle=Heading\nVersion=1.16\nButton1=Quit\n"
      "[MainMenu1]\nTitle=One\nExText=first\nFunctionID=90010\n"
      "[MainMenu3]\nTitle=\nFunctionID=90030\n"
      "[MainMenu4]\nTitle=Four\nFunctionID=12345\n");
  auto screen = Make(folder.Path());
  EXPECT_EQ(screen->Caption(), "Service Program Ver.1.16");
  EXPECT_TRUE(screen->Item(2014).visible);
  EXPECT_EQ(screen->GetDlgItemText(1561), "first");
  for (const int id : {2016, 1563, 3503}) EXPECT_FALSE(screen->Item(id).visible) << id;
  EXPECT_EQ(screen->Item(2019).rect, (ui::DialogRect{8, 132, 148, 25}));  // keeps its place
  screen->Click(2019);  // a FunctionID without a dialog: nothing happens
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::Dialog).empty());

  testing_support::TempFolder empty;
  auto bare = Make(empty.Path());
  EXPECT_EQ(bare->Caption(), "Service Program Ver.---");
  EXPECT_EQ(bare->GetDlgItemText(ui::kStartHeadingId), "---");
  EXPECT_EQ(bare->GetDlgItemText(ui::IDCANCEL), "---");
  for (const int id : ui::kMainMenuButtonIds) EXPECT_FALSE(bare->Item(id).visible) << id;
}

TEST_F(StartScreenTest, TheManualsOpenUntilFinished) {
  auto screen = Make(GRELT_DATA_DIR);
  ui.QueueDialogAction([](ui::CDialog& manuals) {
    EXPECT_EQ(manuals.Caption(), "Manuals");
    EXPECT_FALSE(manuals.Item(ui::kManualsLabelId).visible);
    EXPECT_EQ(manuals.GetDlgItemText(ui::kManualsResetId), "Wiring diagrams");
    manuals.Click(ui::kManualsResetId);
    manuals.Click(ui::IDOK);
    manuals.Click(ui::IDOK);  // stays open: a second OK opens it again
    EXPECT_FALSE(manuals.IsEnded());
    manuals.Click(ui::kManualsSetId);
    manuals.Click(ui::IDOK);
    manuals.Click(ui::IDCANCEL);
    EXPECT_TRUE(manuals.IsEnded());
  });
  screen->Click(2018);
  const auto opens = ui.Calls(ui::UiCallKind::ShellOpen);
  ASSERT_EQ(opens.size(), 3u);
  const std::string service = platform::ServiceFolder(GRELT_DATA_DIR);
  EXPECT_EQ(opens[0].text, service + "/Wiring_Diagrams.pdf");
  EXPECT_EQ(opens[1].text, service + "/Wiring_Diagrams.pdf");
  EXPECT_EQ(opens[2].text, service + "/Panel_Menu_Maps.pdf");
  EXPECT_TRUE(opened.empty());

  // Without a program for the manuals the user is told what to install.
  ui.SetShellOpenResult(2);
  ui.QueueDialogAction([](ui::CDialog& manuals) { manuals.Click(ui::IDOK); });
  screen->Click(2018);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageBox).back().text, "Please Install Adobe Reader.");
}

// Printers plugged into the four USB ports, the settings naming the first.
class PrinterChooserTest : public testing_support::OperationsFixture {
protected:
  void Plug(const std::vector<std::string>& models) {
    settings.pnInterface.values[0] = 11;
    settings.strStatus[driver::kStatusReady] = "Ready";
    int port = 11;
    for (const std::string& model : models) {
      std::string error;
      ASSERT_TRUE(vprinter::AttachVirtualPrinter(directory, folder.Path(), model, "usb" + model,
                                                 port++, clock, &error))
          << error;
    }
    table = operations::ServiceOperations();
  }
  std::unique_ptr<CSvcStartup> Open() {
    auto screen = std::make_unique<CSvcStartup>(ui, GRELT_DATA_DIR, nullptr, &Environment());
    EXPECT_TRUE(screen->Create());
    return screen;
  }
};

// Four printers: the strip lists each, the settings' one chosen; choosing another makes the next
// run open it, and the settings stay as they were.
TEST_F(PrinterChooserTest, TheChosenPrinterIsTheOneTheNextRunOpens) {
  Plug({"LW", "MW", "NN", "LN"});
  auto screen = Open();
  const ui::ControlState& strip = screen->Item(ui::kStartPrinterListId);
  EXPECT_TRUE(strip.visible);
  EXPECT_TRUE(screen->Item(ui::kStartPrinterLabelId).visible);
  ASSERT_EQ(strip.items.size(), 4u);
  EXPECT_EQ(strip.selection, 0);
  const auto& printers = screen->Printers();
  EXPECT_EQ(printers[2].port, 13);
  EXPECT_EQ(printers[2].model, "NN");
  EXPECT_EQ(strip.items[2], "USB 13    NN    " + printers[2].serial + "    " + printers[2].status);
  EXPECT_FALSE(printers[2].serial.empty());
  EXPECT_EQ(printers[2].status, "Ready");

  screen->SelectItem(ui::kStartPrinterListId, 2);
  EXPECT_EQ(Environment().ConfiguredPort(), 13);
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  EXPECT_EQ(request.romVersion.substr(0, 2), "NN");
  EXPECT_EQ(Environment().settings.pnInterface.values[0], 11);
}

// Through the port map, a printer alone on the bench opens on every USB port: it is listed once,
// at the slot the map gave it.
TEST_F(PrinterChooserTest, APrinterAloneIsListedOnceThroughThePortMap) {
  Plug({"LW"});
  printer::PortMap map(folder.Path(), registry, clock);
  const operations::ServiceEnvironment environment(settings, Environment().folders, clock, ui, &map,
                                                   directory, lpdPort);
  const auto printers = operations::AttachedPrinters(environment);
  ASSERT_EQ(printers.size(), 1u);
  EXPECT_EQ(printers[0].port, 11);
  EXPECT_EQ(printers[0].model, "LW");
}

TEST_F(PrinterChooserTest, OnePrinterShowsNoStrip) {
  Plug({"LW"});
  auto screen = Open();
  EXPECT_FALSE(screen->Item(ui::kStartPrinterListId).visible);
  EXPECT_FALSE(screen->Item(ui::kStartPrinterLabelId).visible);
  EXPECT_EQ(Environment().ConfiguredPort(), 11);
}

}  // namespace
