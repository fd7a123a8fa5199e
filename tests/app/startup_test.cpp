#include "app/startup.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "support/temp_folder.h"
#include "ui/scripted_ui_services.h"

namespace fs = std::filesystem;

namespace {

// Start-up shows nothing; the environment it builds keeps the host for the runs to come.
ui::ScriptedUiServices ui;

TEST(Startup, WithoutAnySettingsFileTheDefaultsLeadTheWay) {
  unsetenv("SystemDrive");
  testing_support::TempFolder folder;
  const app::AppState state = app::RunStartup(folder.Path(), ui);
  EXPECT_EQ(state.registryKey, "KORVU");
  EXPECT_EQ(state.settings.strProfile, "ProfileName");
  EXPECT_EQ(state.environment->folders.csv, folder / "drive_c/ProfileName/CSV");
  EXPECT_TRUE(fs::is_directory(state.environment->folders.csv));
  EXPECT_EQ(state.environment->folders.printFile, folder / "Prnfile");
  EXPECT_FALSE(fs::exists(state.environment->folders.printFile));  // computed only
  EXPECT_EQ(state.environment->folders.program, folder.Path());
}

// With a line database the sender starts with the program and is told of each recorded run; a
// database that cannot be had holds nothing up, and the runs that wait say why.
TEST(Startup, ALineDatabaseStartsTheSenderThatRecordedRunsWake) {
  unsetenv("SystemDrive");
  testing_support::TempFolder folder;
  const app::AppState plain = app::RunStartup(folder.Path(), ui);
  EXPECT_EQ(plain.lineSender, nullptr);
  EXPECT_FALSE(plain.environment->sendRecord);

  folder.Write("GRELT02.INI", "[Setting]\nstrLineDatabase=host=127.0.0.1 port=1 dbname=x\n");
  std::string error;
  {
    const app::AppState state = app::RunStartup(folder.Path(), ui);
    ASSERT_NE(state.lineSender, nullptr);
    ASSERT_TRUE(state.environment->sendRecord);
    record::ServiceRecordEntry run;
    run.runId = record::NewRunId();
    ASSERT_TRUE(record::Outbox(state.environment->folders.csv).Put(run, 1, &error)) << error;
    state.environment->sendRecord();
  }  // the sender's round under way ends with the program
  const record::Outbox outbox(folder / "drive_c/ProfileName/CSV");
  EXPECT_EQ(outbox.Waiting().size(), 1u);
}

TEST(Startup, TheCsvFolderFollowsTheProfileOnTheConfiguredDrive) {
  testing_support::TempFolder program;
  testing_support::TempFolder drive;
  program.Write("GRELT02.INI", "[Profile]\nstrProfile=TR-M7000\n");
  program.Write("Service/ext_funcdata.ini", "[Main]\nVersion=1.16\n");
  setenv("SystemDrive", drive.Path().c_str(), 1);
  const app::AppState state = app::RunStartup(program.Path(), ui);
  unsetenv("SystemDrive");
  EXPECT_EQ(state.environment->folders.csv, drive / "TR-M7000/CSV");
  EXPECT_TRUE(fs::is_directory(state.environment->folders.csv));
  EXPECT_FALSE(fs::exists(program / "drive_c"));
  EXPECT_EQ(state.environment->versionText, "1.16");
  EXPECT_EQ(state.environment->folders.service, program / "Service");
}

TEST(Startup, LoadsTheUsbPortMapSoAbsentPrintersKeepTheirSlots) {
  testing_support::TempFolder program;
  program.Write(
      "USB.ini",
      "Printer1=\r\nPrinter2=\\\\?\\USB#VID_1&PID_2#ABCDEFGHIJ#{g}\r\nPrinter3=\r\nPrinter4=\r\n");
  const app::AppState state = app::RunStartup(program.Path(), ui);
  EXPECT_EQ(state.portMap->Slot(2), "\\\\?\\USB#VID_1&PID_2#ABCDEFGHIJ#{g}");
  EXPECT_EQ(state.portMap->Slot(1), "");
  testing_support::TempFolder empty;
  EXPECT_EQ(app::RunStartup(empty.Path(), ui).portMap->Slot(2), "");  // no USB.ini: an empty map
}

TEST(Startup, AFolderThatCannotBeMadeIsNotAnError) {
  testing_support::TempFolder program;
  program.Write("drive_c", "a file where drive c: should be");
  const app::AppState state = app::RunStartup(program.Path(), ui);
  EXPECT_FALSE(fs::exists(state.environment->folders.csv));
  // Start-up goes on to a whole environment, and what stood in the way is left as it was.
  ASSERT_NE(state.environment, nullptr);
  EXPECT_EQ(state.environment->folders.csv, program / "drive_c/ProfileName/CSV");
  EXPECT_EQ(program.Read("drive_c"), "a file where drive c: should be");
  EXPECT_TRUE(ui.Calls().empty());
}

TEST(Startup, SharedFontsTakeTheLowBytesOfTheLanguageFile) {
  settings::AppSettings s;
  s.strFaceName = "DejaVu Sans";
  s.nHeight = -13;
  s.nWeight = 400;
  s.nItalic = 0x101;
  s.nCharSet = 0x180;
  s.nQuality = 2;
  const auto fonts = app::SharedFonts(s);
  EXPECT_EQ(fonts[0].faceName, "Verdana");
  EXPECT_EQ(fonts[0].height, -19);
  EXPECT_EQ(fonts[0].outPrecision, 2);
  EXPECT_EQ(fonts[0].pitchAndFamily, 2);
  EXPECT_EQ(fonts[1].height, -13);
  EXPECT_EQ(fonts[1].weight, 400);
  EXPECT_EQ(fonts[1].italic, 1);
  EXPECT_EQ(fonts[1].charSet, 0x80);
  EXPECT_EQ(fonts[1].faceName, "DejaVu Sans");
  EXPECT_EQ(fonts[2].height, 0);
  EXPECT_EQ(fonts[2].weight, 700);
  EXPECT_EQ(fonts[2].quality, 2);
  EXPECT_EQ(fonts[3].height, 14);
  EXPECT_EQ(fonts[3].weight, 700);
}

TEST(Startup, AProfileNameNeverMakesFoldersOutsideTheProgramFolder) {
  testing_support::TempFolder root;
  root.Write("program/GRELT02.INI", "[Profile]\nstrProfile=../../somewhere\n");
  setenv("SystemDrive", (root / "program/drive_c").c_str(), 1);
  const app::AppState state = app::RunStartup(root / "program", ui);
  unsetenv("SystemDrive");
  EXPECT_EQ(state.settings.strProfile, "ProfileName");
  EXPECT_EQ(state.environment->folders.csv, root / "program/drive_c/ProfileName/CSV");
  EXPECT_FALSE(fs::exists(root / "somewhere"));
  EXPECT_FALSE(fs::exists(fs::path(root.Path()).parent_path() / "somewhere"));
}

}  // namespace
