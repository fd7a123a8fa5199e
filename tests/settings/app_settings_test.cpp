#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <set>

#include "support/temp_folder.h"

using settings::AppSettings;

namespace {

TEST(AppSettings, TablesHoldEveryKeyOnce) {
  AppSettings s;
  EXPECT_EQ(settings::MainSettingsBindings(s).size(), 24u);
  EXPECT_EQ(settings::ParameterBindings(s).size(), 26u);
  EXPECT_EQ(settings::LanguageBindings(s).size(), 339u);
  for (const auto& table : {settings::MainSettingsBindings(s), settings::ParameterBindings(s),
                            settings::LanguageBindings(s)}) {
    std::set<std::string> keys;
    for (const auto& binding : table) EXPECT_TRUE(keys.insert(binding.key).second) << binding.key;
  }
}

TEST(AppSettings, NoFilesAtAllGiveTheDefaults) {
  testing_support::TempFolder folder;
  const AppSettings s = settings::LoadSettings(folder.Path());
  EXPECT_EQ(s.strProfile, "ProfileName");
  EXPECT_EQ(s.strLanguage, "ProgName");
  EXPECT_EQ(s.strProgName, "ProgName");
  EXPECT_EQ(s.nPrinters, 1);
  EXPECT_EQ(s.bErrSound, 0);
  EXPECT_EQ(s.nIOBoard, 2);
  EXPECT_EQ(s.strJIGNo, "00000000");
  EXPECT_EQ(s.strCaliChk, "00000000000000000/000000");
  EXPECT_EQ(s.nLpdSpooler, 0);     // network jobs as the printers' own daemons take them
  EXPECT_EQ(s.nServiceRecord, 1);  // every run is recorded
  EXPECT_EQ(s.nBiDValue.count, 15);
  EXPECT_EQ(s.nPFValue.count, 3);
  EXPECT_EQ(s.pnInterface.count, 4);
  EXPECT_EQ(s.pnInterface.values, (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(s.nUseKorvuPort, 1);
  EXPECT_EQ(s.nBKBidNum, 1);
  EXPECT_EQ(s.nAIDOffJdg, 1);
  EXPECT_EQ(s.strStatus[3], "Status - ERROR  3 J");
  EXPECT_EQ(s.strError[12], "Error - ERROR 12 E");
  EXPECT_EQ(s.strMessage[1], "");
  EXPECT_EQ(settings::LanguageFilePath(folder.Path(), s),
            folder / "Parameter/ProfileName/ProgName.mnu");
  EXPECT_EQ(settings::ParameterFilePath(folder.Path(), s),
            folder / "Parameter/ProfileName/Parameter.ini");
}

TEST(AppSettings, TheMainFileNamesTheProfileOfTheOtherTwo) {
  testing_support::TempFolder folder;
  folder.Write("GRELT02.INI",
               "[Profile]\nstrProfile=TR-M7000\nstrLanguage=English\nnPrinters=0x10 ; four\n"
               "bErrSound=2\n[Temp]\nnPFValue=5 6 7 8\n");
  folder.Write("Parameter/TR-M7000/English.mnu",
               "[STATUS]\nstrStatus03=Paper out\n[MESSAGE]\nstrMessage01=Press OK\\nto retry\n"
               "[FONT]\nstrFaceName=DejaVu Sans\nnHeight=-13\n");
  folder.Write("Parameter/TR-M7000/Parameter.ini",
               "[CONTROL]\npnInterface=11\nnNewERRControl=1\n"
               "[BID]\nstrCnfBid14=last\n");
  const AppSettings s = settings::LoadSettings(folder.Path());
  EXPECT_EQ(s.nPrinters, 16);
  EXPECT_EQ(s.bErrSound, 1);
  EXPECT_EQ(s.nPFValue.count, 3);
  EXPECT_EQ(s.nPFValue.values, (std::array<int, 3>{5, 6, 7}));
  EXPECT_EQ(s.strStatus[3], "Paper out");
  EXPECT_EQ(s.strStatus[4], "Status - ERROR  4 J");
  EXPECT_EQ(s.strMessage[1], "Press OK\r\nto retry");
  EXPECT_EQ(s.strFaceName, "DejaVu Sans");
  EXPECT_EQ(s.nHeight, -13);
  EXPECT_EQ(s.pnInterface.count, 1);
  EXPECT_EQ(s.pnInterface.values[0], 11);
  EXPECT_EQ(s.nNewERRControl, 1);
  EXPECT_EQ(s.strCnfBid[14], "last");
}

TEST(AppSettings, NamesThatLeadOutOfTheProgramFolderAreRefused) {
  testing_support::TempFolder folder;
  folder.Write("outside/Parameter.ini", "[Interface]\npnInterface=3\n");
  folder.Write("program/Parameter/ProfileName/ProgName.mnu", "[FONT]\n");
  folder.Write("program/Parameter/TR-M7000/English.mnu", "[FONT]\n");
  for (const char* profile : {"../outside", "a/b", "..", "x\\y", "."}) {
    folder.Write("program/GRELT02.INI",
                 std::string("[Profile]\nstrProfile=") + profile + "\nstrLanguage=../../English\n");
    std::vector<std::string> problems;
    const AppSettings s = settings::LoadSettings(folder / "program", &problems);
    EXPECT_EQ(s.strProfile, "ProfileName") << profile;
    EXPECT_EQ(s.strLanguage, "ProgName") << profile;
    ASSERT_EQ(problems.size(), 2u) << profile;
    EXPECT_NE(problems[0].find("strProfile"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("\"ProgName\" is used instead"), std::string::npos) << problems[1];
  }
  // An ordinary name passes without a word.
  folder.Write("program/GRELT02.INI", "[Profile]\nstrProfile=TR-M7000\nstrLanguage=English\n");
  std::vector<std::string> problems;
  EXPECT_EQ(settings::LoadSettings(folder / "program", &problems).strProfile, "TR-M7000");
  EXPECT_TRUE(problems.empty());
}

TEST(AppSettings, AMissingOrUselessMainFileIsToldOnce) {
  testing_support::TempFolder folder;
  folder.Write("Parameter/ProfileName/ProgName.mnu", "[FONT]\n");
  std::vector<std::string> problems;
  settings::LoadSettings(folder.Path(), &problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("GRELT02.INI cannot be read"), std::string::npos) << problems[0];
  folder.Write("GRELT02.INI", std::string("\x7F\x45\x4C\x46 garbage\0\1\2", 16));
  settings::LoadSettings(folder.Path(), &problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("names no profile"), std::string::npos) << problems[0];
}

TEST(AppSettings, AMissingLanguageFileIsToldAndTheBuiltInTextsServe) {
  testing_support::TempFolder folder;
  folder.Write("GRELT02.INI", "[Profile]\nstrProfile=TR-M7000\nstrLanguage=Deutsch\n");
  std::vector<std::string> problems;
  const AppSettings s = settings::LoadSettings(folder.Path(), &problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("Parameter/TR-M7000/Deutsch.mnu cannot be read; the built-in texts"),
            std::string::npos)
      << problems[0];
  EXPECT_EQ(s.strStatus[4], "Status - ERROR  4 J");
  folder.Write("Parameter/TR-M7000/Deutsch.mnu", "[STATUS]\nstrStatus04=Bereit\n");
  EXPECT_EQ(settings::LoadSettings(folder.Path(), &problems).strStatus[4], "Bereit");
  EXPECT_TRUE(problems.empty());
}

}  // namespace
