// grelt02-cli end to end: the JSON it prints for the shipped program folder and for scratch ones.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>

#include "support/cli_runner.h"
#include "support/lpd_receiver.h"
#include "support/temp_folder.h"

using nlohmann::json;

namespace {

using testing_support::Cli;
using testing_support::CliRun;
using testing_support::CopyShippedFiles;
using testing_support::RunProgram;

TEST(Cli, SettingsNameEveryKeyAsTheFilesDo) {
  const CliRun run = Cli("settings");
  ASSERT_EQ(run.exitCode, 0);
  const auto s = run.Json();
  EXPECT_EQ(s.size(), 24u + 26u + 339u);
  EXPECT_EQ(s.begin().key(), "strProfile");  // table order
  EXPECT_EQ(s["strProfile"], "TR-M7000");
  EXPECT_EQ(s["strLanguage"], "English");
  EXPECT_EQ(s["pnInterface"], json::array({11}));
  EXPECT_EQ(s["nBiDValue"].size(), 15u);
  EXPECT_EQ(s["nUseKorvuPort"], 1);
  EXPECT_TRUE(s["strStatus03"].is_string());
  EXPECT_TRUE(s.contains("strCnfBid14"));
  EXPECT_TRUE(s.contains("strPrd4Menu39"));
  EXPECT_NE(s["strMessage01"].get<std::string>().find("OK"), std::string::npos);
}

TEST(Cli, SettingsOfAnEmptyFolderAreTheDefaults) {
  testing_support::TempFolder folder;
  folder.Write("GRELT02.INI", "[Profile]\nnPrinters=0X10\n[Temp]\nnPFValue=\n");
  folder.Write("Parameter/ProfileName/ProgName.mnu",
               "[MESSAGE]\nstrMessage01=Press OK\\nto retry\n");
  const auto s = Cli("settings", folder.Path()).Json();
  EXPECT_EQ(s["strProfile"], "ProfileName");
  EXPECT_EQ(s["nPrinters"], 16);
  EXPECT_EQ(s["nPFValue"], json::array());
  EXPECT_EQ(s["pnInterface"], json::array({0, 0, 0, 0}));
  EXPECT_EQ(s["strStatus03"], "Status - ERROR  3 J");
  EXPECT_EQ(s["strError12"], "Error - ERROR 12 E");
  EXPECT_EQ(s["strMessage01"], "Press OK\r\nto retry");
}

TEST(Cli, FilesWrittenOnWindowsInTheirCodePageReadRight) {
  testing_support::TempFolder folder;
  folder.Write("GRELT02.INI", "[Profile]\nstrProfile=P\nstrLanguage=Deutsch\n");
  folder.Write("Parameter/P/Deutsch.mnu", "[MESSAGE]\nstrMessage01=Gr\xF6\xDF" "e pr\xFC" "fen\n");
  folder.Write("Service/ext_funcdata.ini", "[MainMenu1]\nTitle=\x93Wartung\x94\nFunctionID=90010\n");
  const CliRun settings = Cli("settings", folder.Path());
  ASSERT_EQ(settings.exitCode, 0) << settings.err;
  EXPECT_EQ(settings.Json()["strMessage01"], "Gr\xC3\xB6\xC3\x9F" "e pr\xC3\xBC" "fen");
  const CliRun menus = Cli("menu main", folder.Path());
  ASSERT_EQ(menus.exitCode, 0) << menus.err;
  EXPECT_EQ(menus.Json()[0]["title"], "\xE2\x80\x9CWartung\xE2\x80\x9D");
}

TEST(Cli, MainMenusAreTheSevenStartScreenButtons) {
  const json menus = Cli("menu main").Json();
  ASSERT_EQ(menus.size(), 7u);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(menus[i]["functionId"], 90010 + 10 * i);
    EXPECT_FALSE(menus[i]["title"].get<std::string>().empty());
  }
}

TEST(Cli, TreeListsTheInsertedNodesWithTheirParents) {
  testing_support::TempFolder folder;
  folder.Write("Service/ext_funcdata.ini", "[90020]\nTreeTop=TOP\n");
  folder.Write("Service/ext_treedata.ini",
               "[Kid]\nParent=Grp\nTitle=Too early\n"
               "[Grp]\nParent=TOP\nTitle=Group\n"
               "[Item]\nParent=Grp\nTitle=Serial\nExecFunc=10230\n");
  const CliRun run = Cli("menu tree 90020", folder.Path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.Json(), nlohmann::ordered_json::parse(R"([
      {"index":1,"section":"Grp","title":"Group","parent":"","execFunc":0},
      {"index":2,"section":"Item","title":"Serial","parent":"Grp","execFunc":10230}])"));
}

TEST(Cli, ATreeFileWithoutAUsableNodeCannotBeRead) {
  testing_support::TempFolder folder;
  folder.Write("Service/ext_funcdata.ini", "[90020]\nTreeTop=TOP\n");
  folder.Write("Service/ext_treedata.ini", "\x7F\x45LF\x02\x01garbage\xF6\n");
  const CliRun run = Cli("menu tree 90020", folder.Path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.Json(), nlohmann::ordered_json::array());
  EXPECT_NE(run.err.find("Cannot Read The Menu."), std::string::npos) << run.err;
}

// The README's table of items, buttons and function numbers is this command's output.
TEST(Cli, TheReadmesFunctionTableIsTheShippedMenus) {
  const CliRun run = Cli("menu functions --markdown");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string readme =
      testing_support::ReadWholeFile(std::string(GRELT_DATA_DIR) + "/../README.md");
  const std::string begin = "<!-- functions:begin -->\n";
  const std::size_t from = readme.find(begin);
  const std::size_t to = readme.find("<!-- functions:end -->");
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), run.out)
      << "scripts/make-function-table.sh writes the README's table anew";
  const json items = Cli("menu functions").Json();
  const auto bid = std::find_if(items.begin(), items.end(),
                                [](const json& item) { return item["item"] == 10070; });
  ASSERT_NE(bid, items.end());
  EXPECT_EQ((*bid)["buttons"][0]["function"], 210070);
  EXPECT_TRUE((*bid)["buttons"][0]["operation"].is_null());
}

TEST(Cli, ShippedTreesShowEveryNode) {
  for (int top : {90020, 90030, 90040}) {
    const CliRun run = Cli("menu tree " + std::to_string(top));
    EXPECT_EQ(run.exitCode, 0) << top;
    EXPECT_GE(run.Json().size(), 10u) << top;
  }
  EXPECT_EQ(Cli("menu tree 90020").Json()[0]["parent"], "");
}

TEST(Cli, PageTextsHaveSixteenButtonsAndTextsAndOnlyTheReadPictures) {
  testing_support::TempFolder folder;
  folder.Write("Service/ext_funcdata.ini",
               "[10230]\nButton2=Check\nText1=Serial\nDlgPic1=a\nDlgPic3=c\n");
  const json page = Cli("menu page 10230", folder.Path()).Json();
  EXPECT_EQ(page["Button"].size(), 16u);
  EXPECT_EQ(page["Button"][1], "Check");
  EXPECT_EQ(page["Text"].size(), 16u);
  EXPECT_EQ(page["Text"][0], "Serial");
  EXPECT_EQ(page["DlgPic"], json::array({"a"}));
  EXPECT_EQ(page["DlgText"], json::array());
}

TEST(Cli, MessagesReportTheirIconAndFailWhenMissing) {
  const CliRun error = Cli("menu message 90000001");
  EXPECT_EQ(error.exitCode, 0);
  EXPECT_EQ(error.Json()["icon"], "error");
  EXPECT_FALSE(error.Json()["text"].get<std::string>().empty());
  EXPECT_EQ(Cli("menu message 10000001").Json()["icon"], "information");
  const CliRun missing = Cli("menu message 55555555");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.Json(), nlohmann::ordered_json::parse(R"({"text":"","icon":"none"})"));
}

TEST(Cli, VirtualPrintersArePluggedInInspectedAndGivenFaults) {
  testing_support::TempFolder folder;
  const auto attached = Cli("vprinter attach --model MW --name bench --port 3", folder.Path());
  ASSERT_EQ(attached.exitCode, 0);
  EXPECT_EQ(attached.Json()["firmware"], "MW06B1");
  EXPECT_EQ(Cli("vprinter attach --model xy --name bad", folder.Path()).exitCode, 2);
  EXPECT_EQ(Cli("vprinter attach --model MW --name ../up", folder.Path()).exitCode, 2);
  EXPECT_EQ(Cli("vprinter list", folder.Path()).Json().size(), 1u);
  EXPECT_EQ(Cli("vprinter status", folder.Path()).Json()["type"], 4);

  EXPECT_EQ(Cli("vprinter nvram write 0x100 'DE AD'", folder.Path()).exitCode, 0);
  EXPECT_EQ(Cli("vprinter nvram read 256 2", folder.Path()).Json()["bytes"], "DE AD");
  EXPECT_EQ(Cli("vprinter nvram read 65535 2", folder.Path()).exitCode, 2);
  EXPECT_EQ(Cli("vprinter nvram write 0 'ABC'", folder.Path()).exitCode, 2);

  EXPECT_EQ(Cli("vprinter fault paper-jam", folder.Path()).exitCode, 0);
  const auto status = Cli("vprinter status", folder.Path()).Json();
  EXPECT_EQ(status["type"], 0);
  EXPECT_EQ(status["errorCode"], 4);
  EXPECT_EQ(Cli("vprinter fault boot-mode", folder.Path()).exitCode, 0);
  EXPECT_EQ(Cli("vprinter status", folder.Path()).Json()["open"], -6);
  EXPECT_EQ(Cli("vprinter clear-faults", folder.Path()).exitCode, 0);
  EXPECT_EQ(Cli("vprinter status", folder.Path()).Json()["type"], 4);
  EXPECT_EQ(Cli("vprinter fault no-such-fault", folder.Path()).exitCode, 2);

  EXPECT_EQ(Cli("vprinter detach", folder.Path()).exitCode, 0);
  EXPECT_EQ(Cli("vprinter status", folder.Path()).exitCode, 2);  // nothing attached
}

TEST(Cli, ASerialWrittenThroughTheProductionAreaReadsBack) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  EXPECT_EQ(Cli("status", folder.Path()).exitCode, 2);  // nothing attached at port 11
  ASSERT_EQ(Cli("vprinter attach --model MW", folder.Path()).exitCode, 0);
  const auto status = Cli("status", folder.Path());
  ASSERT_EQ(status.exitCode, 0);
  EXPECT_EQ(status.Json()["port"], 11);
  EXPECT_EQ(status.Json()["model"], "MW");
  EXPECT_EQ(status.Json()["type"], 4);

  const auto written = Cli("nvram write 66 '51 58 39 38 37 36 35 34 33 32' --prd", folder.Path());
  ASSERT_EQ(written.exitCode, 0);
  const auto read = Cli("nvram read 66 10 --prd", folder.Path());
  ASSERT_EQ(read.exitCode, 0);
  EXPECT_EQ(read.Json()["text"], "QX98765432");
  EXPECT_EQ(Cli("nvram read 0xFFFF 1", folder.Path()).exitCode, 2);
  EXPECT_EQ(Cli("nvram write 10 'zz'", folder.Path()).exitCode, 2);

  const auto ports = Cli("ports", folder.Path()).Json();
  EXPECT_EQ(ports["discovered"].size(), 1u);
  EXPECT_EQ(ports["map"][0]["port"], 11);
  EXPECT_EQ(ports["map"][0]["link"], ports["discovered"][0]);

  folder.Write("job.prn", std::string(3000, '\x0D'));
  EXPECT_EQ(Cli("send-file '" + (folder / "job.prn") + "' --chunk 512", folder.Path()).exitCode, 0);
  ASSERT_EQ(Cli("vprinter fault paper-out", folder.Path()).exitCode, 0);
  EXPECT_EQ(Cli("send-file '" + (folder / "job.prn") + "'", folder.Path()).exitCode, 2);
  EXPECT_EQ(
      Cli("lpd-send 127.0.0.1 '" + (folder / "job.prn") + "' --port 1", folder.Path()).exitCode, 2);
}

TEST(Cli, NozzleCheckPrintsOnePageWithTheHeaderReadFromThePrinter) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model MW", folder.Path()).exitCode, 0);
  const auto printed = Cli("print-pattern nozzle-check --dot-type 3", folder.Path());
  ASSERT_EQ(printed.exitCode, 0);
  EXPECT_EQ(printed.Json()["pattern"], "nozzle-check");
  EXPECT_EQ(printed.Json()["serialNo"].get<std::string>().size(), 10u);
  // Both sends land on one page: a page fed blank or split would show in the log.
  const auto log = Cli("vprinter log", folder.Path()).Json();
  EXPECT_TRUE(log.back().get<std::string>().ends_with(" page 1 printed: Pages/page-0001.png"))
      << log.dump();
  EXPECT_TRUE(std::filesystem::exists(folder / "VirtualPrinters/vp1/Pages/page-0001.png"));

  // A later run does not print over the pages of an earlier one.
  ASSERT_EQ(Cli("print-pattern nozzle-check", folder.Path()).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(folder / "VirtualPrinters/vp1/Pages/page-0002.png"));

  EXPECT_NE(Cli("print-pattern nozzle-check --dot-type 4", folder.Path()).exitCode, 0);
  ASSERT_EQ(Cli("vprinter fault paper-out", folder.Path()).exitCode, 0);
  EXPECT_EQ(Cli("print-pattern nozzle-check", folder.Path()).exitCode, 2);
}

TEST(Cli, SheetsArePrintedAndCounted) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LN", folder.Path()).exitCode, 0);
  for (const char* sheet :
       {"inspection-sheet-1", "inspection-sheet-2", "line-sheet", "mechanical-sheet"}) {
    const auto printed =
        Cli(std::string("print-pattern ") + sheet + " --machine-no LN-0042", folder.Path());
    ASSERT_EQ(printed.exitCode, 0) << sheet;
    EXPECT_EQ(printed.Json()["pattern"], sheet);
  }
  for (int page = 1; page <= 4; ++page) {
    EXPECT_TRUE(std::filesystem::exists(
        folder / ("VirtualPrinters/vp1/Pages/page-000" + std::to_string(page) + ".png")));
  }
  const auto log = Cli("vprinter log --lines 400", folder.Path()).Json();
  for (const auto& line : log) {
    EXPECT_EQ(line.get<std::string>().find("print: "), std::string::npos) << line;
    EXPECT_EQ(line.get<std::string>().find("unknown command"), std::string::npos) << line;
  }
  EXPECT_EQ(Cli("nvram read 129 2 --prd", folder.Path()).Json()["bytes"], "01 01");
  EXPECT_NE(Cli("print-pattern barcode", folder.Path()).exitCode, 0);  // not a page
  EXPECT_EQ(
      Cli("print-pattern inspection-sheet-1 --machine-no 'lower case'", folder.Path()).exitCode, 2);
}

TEST(Cli, PatternJobsAreWrittenAsSentAndPrintAsPages) {
  testing_support::TempFolder folder;
  auto build = [&](const std::string& args, const std::string& file) {
    return Cli("pattern " + args + " -o '" + (folder / file) + "'");
  };
  // Every pattern speaks only commands the printer knows.
  for (const std::string name :
       {"nozzle-check", "inspection-sheet-1", "inspection-sheet-2", "line-sheet",
        "mechanical-sheet", "feed-check", "barcode", "info-header"}) {
    const auto built = build(name + " --model LW --machine-no AB12345", name + ".prn");
    ASSERT_EQ(built.exitCode, 0) << name;
    EXPECT_TRUE(built.Json()["unknownCommands"].empty()) << name << built.out;
  }
  const auto nozzle = build("nozzle-check --model NN --dot-type 2", "nozzle.prn");
  ASSERT_EQ(nozzle.exitCode, 0);
  EXPECT_EQ(nozzle.Json()["bytes"], std::filesystem::file_size(folder / "nozzle.prn"));
  auto rendered = Cli("render '" + (folder / "nozzle.prn") + "' -o '" + (folder / "n.png") + "'");
  ASSERT_EQ(rendered.exitCode, 0);
  EXPECT_EQ(rendered.Json()["pages"], 1);
  EXPECT_TRUE(rendered.Json()["warnings"].empty()) << rendered.out;
  // Eight lanes on this model: four colours of the twelve stay blank.
  EXPECT_EQ(rendered.Json()["dots"].size(), 8u + 1u) << rendered.out;  // and the header's 0x00

  ASSERT_EQ(build("inspection-sheet-1 --model LN --machine-no LN42", "i1.prn").exitCode, 0);
  rendered = Cli("render '" + (folder / "i1.prn") + "' -o '" + (folder / "i1.png") + "'");
  EXPECT_EQ(rendered.Json()["pages"], 1);
  EXPECT_TRUE(rendered.Json()["warnings"].empty()) << rendered.out;

  // A piece of a page is written as it stands: the page is left open.
  ASSERT_EQ(build("barcode --model LN --machine-no LN42", "b.prn").exitCode, 0);
  rendered = Cli("render '" + (folder / "b.prn") + "' -o '" + (folder / "b.png") + "'");
  EXPECT_EQ(rendered.Json()["warnings"][0], "the job ended without ending its page");

  EXPECT_EQ(build("nozzle-check --model ZZ", "z.prn").exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(folder / "z.prn"));
  EXPECT_EQ(build("barcode --model LN --machine-no 'a b'", "bad.prn").exitCode, 2);
}

TEST(Cli, RunReportsWhatTheDispatcherShowedAndSet) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  const CliRun noPrinterRun = Cli("run 310230", folder.Path());
  EXPECT_EQ(noPrinterRun.exitCode, 2);  // it could not run
  auto noPrinter = noPrinterRun.Json();
  EXPECT_EQ(noPrinter["dispatched"], false);
  EXPECT_TRUE(noPrinter["operation"].is_null());
  EXPECT_EQ(noPrinter["printerMissing"], 1);
  ASSERT_EQ(noPrinter["messages"].size(), 1u);
  EXPECT_EQ(noPrinter["messages"][0]["icon"], "error");
  EXPECT_EQ(noPrinter["doneMessages"], 1);

  ASSERT_EQ(Cli("vprinter attach --model ZZ", folder.Path()).exitCode, 0);
  const auto unknown = Cli("run 210090 --answer ok", folder.Path()).Json();
  EXPECT_EQ(unknown["messages"][0]["text"],
            "This printer is Unknown model.\n Model = ZZ\nPlease check the printer model.");
  const auto silent = Cli("run 210090 --run-mode 4", folder.Path()).Json();
  EXPECT_TRUE(silent["messages"].empty());
  EXPECT_EQ(silent["resultCode"], -100);
  const CliRun anyModelRun = Cli("run 310999 --run-mode 5141", folder.Path());
  EXPECT_EQ(anyModelRun.exitCode, 2);  // dispatched, but no operation has that number
  const auto anyModel = anyModelRun.Json();
  EXPECT_EQ(anyModel["dispatched"], true);
  EXPECT_TRUE(anyModel["operation"].is_null());
  EXPECT_EQ(anyModel["romVersion"].get<std::string>().substr(0, 2), "ZZ");
  EXPECT_EQ(Cli("run 210090", folder.Path()).exitCode, 2);  // unknown model
  const auto hotKey = Cli("run F12 --run-mode 5141", folder.Path()).Json();
  EXPECT_EQ(hotKey["operation"], "HotKeySequenceF12");

  EXPECT_EQ(Cli("run 99", folder.Path()).exitCode, 2);
  EXPECT_EQ(Cli("run 210090 --answer maybe", folder.Path()).exitCode, 2);

  // --sent keeps what the run sent: nothing for a run that sends nothing, and a file that cannot
  // be written is an error before the run.
  folder.Write("sent.bin", "old");
  ASSERT_EQ(Cli("run 310230 --sent '" + (folder / "sent.bin") + "'", folder.Path()).exitCode, 2);
  EXPECT_EQ(folder.Read("sent.bin"), "");
  EXPECT_EQ(
      Cli("run 310230 --sent '" + (folder / "no/such/folder/x.bin") + "'", folder.Path()).exitCode,
      2);
}

// Every run leaves its row in the service record, which `record` lists newest first.
TEST(Cli, TheServiceRecordListsEveryRunNewestFirst) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW --name lw", folder.Path()).exitCode, 0);
  const std::string serial = Cli("run 310230", folder.Path()).Json()["outputText"];
  ASSERT_EQ(Cli("run 310220", folder.Path()).exitCode, 0);
  const auto rows = Cli("record", folder.Path()).Json();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["function"], 310220);
  EXPECT_EQ(rows[0]["result"], "done");
  EXPECT_EQ(rows[0]["serial"], serial);
  EXPECT_EQ(rows[1]["title"], "ReadSerialNumber");
  EXPECT_EQ(Cli("record --serial " + serial, folder.Path()).Json().size(), 2u);
  EXPECT_TRUE(Cli("record --serial NOSUCH", folder.Path()).Json().empty());
  const std::string csv = Cli("record --csv", folder.Path()).out;
  EXPECT_EQ(csv.rfind("Time,Station,Worker,Model,Serial,Firmware,Function,Title,Result,LastError,"
                      "Messages,RunId,Host\r\n",
                      0),
            0u);
}

// The identity and adjustment items as a script drives them, with the page inputs as options.
TEST(Cli, IdentityAndAdjustmentRunsWithThePageInputs) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW --new-board", folder.Path()).exitCode, 0);
  auto run = [&folder](const std::string& args, int exitCode) {
    const CliRun result = Cli("run " + args, folder.Path());
    EXPECT_EQ(result.exitCode, exitCode) << args << "\n" << result.err;
    return result.Json();
  };
  // A serial number onto a board without one, read back; a second is refused.
  const auto written = run("110230 --input LW00012345 --answer ok", 0);
  EXPECT_EQ(written["done"], 1);
  EXPECT_EQ(written["outputText"], "LW00012345");
  EXPECT_EQ(run("310230", 0)["outputText"], "LW00012345");
  const auto refused = run("110230 --input LW00099999 --answer ok", 1);
  ASSERT_EQ(refused["messages"].size(), 2u);
  EXPECT_EQ(refused["messages"][1]["text"],
            "A serial number is already stored on this main board.\r\nIt cannot be written again.");
  // The clock: set, then read.
  EXPECT_EQ(run("110210 --values 27,2,7,10,31,6 --answer ok", 0)["done"], 1);
  const auto clock = run("310210", 0)["shownValues"];
  EXPECT_EQ(std::vector<int>(clock.begin(), clock.begin() + 5),
            (std::vector<int>{27, 2, 7, 10, 31}));
  // A MAC address outside the program's range is refused before anything is asked.
  const auto outside = run("110220 --values 10,71,82,45,16,0 --answer ok", 1);
  ASSERT_EQ(outside["messages"].size(), 1u);
  EXPECT_EQ(outside["messages"][0]["icon"], "error");
  EXPECT_EQ(run("110220 --values 10,71,82,45,32,0 --answer ok", 0)["shownValues"][4], 32);
  // Position as printed changes nothing; feed 508 resets the feed values; heights out of range.
  const std::string before = Cli("nvram read 8496 4 --prd", folder.Path()).Json()["bytes"];
  EXPECT_EQ(run("110040 --measured 15,15,15,14", 0)["done"], 1);
  EXPECT_EQ(Cli("nvram read 8496 4 --prd", folder.Path()).Json()["bytes"], before);
  EXPECT_EQ(run("110040 --measured 25,15,15,14", 1)["lastError"], -936);
  EXPECT_EQ(run("110170 --measured 508", 0)["done"], 1);
  EXPECT_EQ(Cli("nvram read 8480 12 --prd", folder.Path()).Json()["bytes"],
            "40 42 0F 00 88 1D 0F 00 88 1D 0F 00");
  EXPECT_EQ(run("110340 --measured 0,11,15", 1)["messages"].size(), 1u);
}

// The command line takes exactly what the item's page could hand its operation: anything else is
// refused before the printer is opened, and the printer hears nothing of it.
TEST(Cli, RunRefusesWhatThePageCouldNeverHandItsOperation) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW --new-board", folder.Path()).exitCode, 0);
  const std::string log = Cli("vprinter log --lines 2000", folder.Path()).out;
  for (const char* args : {
           "110230 --input LW0001234567890 --answer ok",  // the box takes ten characters
           "110230 --input LW0001 --answer ok",
           "110230 --input 'LW0001234\t' --answer ok",
           "110210 --values 27,13,7,25,61,99 --answer ok",  // no such month, hour, minute
           "110210 --values 27,2,30,10,0,0 --answer ok",    // 30 February
           "110210 --values 27,2,29,10,0,0 --answer ok",    // 2027 is no leap year
           "110210 --values 2027,2,7,10,0,0 --answer ok",   // the picker's years are 2000..2099
           "110210 --values 27,2,7 --answer ok",            // the time missing
           "110210 --answer ok",                            // nothing to set
           "110220 --selector 1 --values 10,71,82,45,32,300 --answer ok",
           "110220 --selector 1 --values 10,71,82,45,32,-1 --answer ok",
           "110220 --selector 1 --values 10,71,82,45,32 --answer ok",
           "110220 --selector 2 --values 10,71,82,45,32,0 --answer ok",
           "110040 --measured 15,15,15",       // the position page has four lines
           "310230 --values 1",                // the serial number page takes no values
           "210100 --selector 4 --answer ok",  // four cleaning strengths: 0 to 3
           "210100 --flags 1,1 --answer ok",   // and five rows
           "210370 --input 300.1.1.1",
           "F11 --flags 1",
       }) {
    const CliRun run = Cli(std::string("run ") + args, folder.Path());
    EXPECT_EQ(run.exitCode, 2) << args;
    EXPECT_TRUE(run.out.empty()) << args;
    EXPECT_NE(run.err.find("refused"), std::string::npos) << args << run.err;
  }
  EXPECT_EQ(Cli("vprinter log --lines 2000", folder.Path()).out, log);  // never opened
  // What the pages can hand still goes through: the last day of a leap February, the last
  // station of the program's MAC range.
  EXPECT_EQ(Cli("run 110210 --values 28,2,29,23,59,59 --answer ok", folder.Path()).exitCode, 0);
  const CliRun mac = Cli("run 110220 --values 10,71,82,45,255,255 --answer ok", folder.Path());
  EXPECT_EQ(mac.exitCode, 0) << mac.err;
  EXPECT_EQ(Cli("nvram read 114 6 --prd", folder.Path()).Json()["bytes"], "0A 47 52 2D FF FF");
  EXPECT_EQ(Cli("run 110230 --input LW00012345 --answer ok", folder.Path()).exitCode, 0);
}

// A firmware or print file that cannot go to the printer whole is refused before the printer is
// opened: nothing is reported sent, and the record says the run failed.
TEST(Cli, AnEmptyOrUnreadableFileIsNeverSent) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW", folder.Path()).exitCode, 0);
  const std::string empty = folder.Write("empty.UPG", "");
  std::string fileProblem = Cli("menu message 90000007").Json()["text"];
  for (const std::string& path : {empty, folder.Path()}) {
    const CliRun firmware = Cli("firmware '" + path + "'", folder.Path());
    EXPECT_EQ(firmware.exitCode, 1) << path;
    EXPECT_EQ(firmware.Json()["sent"], false);
    ASSERT_EQ(firmware.Json()["messages"].size(), 1u);
    EXPECT_EQ(firmware.Json()["messages"][0]["text"], fileProblem);
    const CliRun print = Cli("print '" + path + "'", folder.Path());
    EXPECT_EQ(print.exitCode, 1) << path;
    EXPECT_EQ(print.Json()["messages"][0]["text"], "File not found.");
  }
  EXPECT_EQ(Cli("vprinter status", folder.Path()).Json()["firmware"], "LW06B1");
  const auto rows = Cli("record", folder.Path()).Json();
  ASSERT_EQ(rows.size(), 4u);
  for (const auto& row : rows) EXPECT_EQ(row["result"], "failed");
  EXPECT_EQ(rows[3]["title"], "Firmware update empty.UPG");
}

// A long job fills the printer's buffer many times: it prints and goes on receiving, and nobody is
// asked anything. A printer busy with work of its own is told once and the job still goes whole.
TEST(Cli, ABigPrintFileGoesThroughWithoutQuestions) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW", folder.Path()).exitCode, 0);
  std::string resets;
  for (int i = 0; i < 4 << 20; ++i) resets += "\x1B@";  // 8 MiB
  const std::string path = folder.Write("big.PRN", resets);
  const CliRun big = Cli("print '" + path + "'", folder.Path());
  EXPECT_EQ(big.exitCode, 0) << big.err;
  EXPECT_EQ(big.Json()["messages"], json::array());
  std::string progress;  // on stderr, a line a tenth
  for (int percent = 0; percent <= 100; percent += 10)
    progress += "Sending big.PRN to the printer: " + std::to_string(percent) + "%\n";
  EXPECT_EQ(big.err, progress);

  ASSERT_EQ(Cli("vprinter fault own-work-after=3000000", folder.Path()).exitCode, 0);
  const CliRun busy = Cli("print '" + path + "'", folder.Path());
  EXPECT_EQ(busy.exitCode, 0) << busy.err;
  // Its work lasts three status reads; each is a RETRY SEND the technician answers.
  const auto messages = busy.Json()["messages"];
  ASSERT_EQ(messages.size(), 3u);
  for (const auto& message : messages) {
    EXPECT_TRUE(message["text"].get<std::string>().starts_with("The printer is busy."));
    EXPECT_TRUE(message["text"].get<std::string>().ends_with("\n\nRETRY SEND"));
  }
}

// Eight processes change one printer folder at once, four writing NVRAM bytes and four
// recording part exchanges: every write is there afterwards, and every exchange is whole.
TEST(Cli, EightProcessesChangingOnePrinterLoseNothing) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW --name lw", folder.Path()).exitCode, 0);
  const std::string cli = std::string(GRELT_CLI) + " --program-folder '" + folder.Path() + "' ";
  const int parts[4][2] = {{20030, 0x3000}, {20100, 0x3010}, {20120, 0x3030}, {20170, 0x3060}};
  std::vector<std::string> counters;
  for (const auto& [item, counter] : parts)
    counters.push_back(
        Cli("nvram read " + std::to_string(counter) + " 4", folder.Path()).Json()["bytes"]);
  std::string script;
  for (int writer = 0; writer < 4; ++writer) {
    script += "(for i in 0 1 2 3 4 5 6 7 8 9; do " + cli + "vprinter nvram write $((0x3400 + " +
              std::to_string(writer * 16) + " + i)) 5$i >/dev/null || echo lost; done) & ";
  }
  for (const auto& [item, counter] : parts)
    script +=
        cli + "run " + std::to_string(100000 + item) + " --answer ok >/dev/null || echo lost & ";
  const CliRun all = RunProgram("bash '" + folder.Write("at-once.sh", script + "wait\n") + "'");
  EXPECT_EQ(all.out, "") << all.err;
  const std::string bytes = Cli("vprinter nvram read 0x3400 64", folder.Path()).Json()["bytes"];
  for (int writer = 0; writer < 4; ++writer) {
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(bytes.substr(static_cast<std::size_t>((writer * 16 + i) * 3), 2),
                "5" + std::to_string(i))
          << writer << " " << i;
  }
  for (std::size_t p = 0; p < 4; ++p) {
    const int counter = parts[p][1];
    EXPECT_EQ(Cli("nvram read " + std::to_string(counter) + " 4", folder.Path()).Json()["bytes"],
              "00 00 00 00");
    EXPECT_EQ(
        Cli("nvram read " + std::to_string(counter + 4) + " 4", folder.Path()).Json()["bytes"],
        counters[p]);
    EXPECT_EQ(
        Cli("nvram read " + std::to_string(counter + 8) + " 1", folder.Path()).Json()["bytes"],
        "01");
  }
}

// A printer whose folder is full keeps nothing, and says so: no write is reported made.
TEST(Cli, APrinterThatCannotSaveItsStateReportsNoWrite) {
  testing_support::TempFolder folder;
  ASSERT_EQ(Cli("vprinter attach --model LW --name lw", folder.Path()).exitCode, 0);
  const std::string before = Cli("vprinter nvram read 0x3400 4", folder.Path()).Json()["bytes"];
  // A file size limit of 64 KiB: less than a state file, as on a full disk.
  const CliRun full =
      RunProgram("bash -c \"ulimit -f 64; " + std::string(GRELT_CLI) + " --program-folder '" +
                 folder.Path() + "' vprinter nvram write 0x3400 'DE AD BE EF'\"");
  EXPECT_EQ(full.exitCode, 2);
  EXPECT_TRUE(full.out.empty());
  EXPECT_NE(full.err.find("cannot be saved"), std::string::npos) << full.err;
  EXPECT_EQ(Cli("vprinter nvram read 0x3400 4", folder.Path()).Json()["bytes"], before);
  EXPECT_EQ(Cli("vprinter nvram write 0x3400 'DE AD BE EF'", folder.Path()).exitCode, 0);
}

// Maintenance runs that take no time on a printer: the hot key, a switch command, and the
// network nozzle check to a daemon on the port the environment names.
TEST(Cli, MaintenanceRunsHotKeysAndTheNetworkNozzleCheck) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW", folder.Path()).exitCode, 0);
  const auto hotKey = Cli("run F11", folder.Path());
  EXPECT_EQ(hotKey.exitCode, 0);
  EXPECT_EQ(hotKey.Json()["operation"], "HotKeySequenceF11");
  const auto cancelled = Cli("run 210290 --answer cancel", folder.Path());
  EXPECT_EQ(cancelled.exitCode, 1);
  EXPECT_EQ(cancelled.Json()["messages"].size(), 1u);
  testing_support::LpdReceiver daemon;
  const CliRun network =
      RunProgram("GRELT_LPD_PORT=" + std::to_string(daemon.Port()) + " " + GRELT_CLI +
                 " --program-folder '" + folder.Path() + "' run 210370 --input 127.0.0.1");
  EXPECT_EQ(network.exitCode, 0) << network.err;
  EXPECT_EQ(network.Json()["done"], 1);
  const std::string received = daemon.Received();
  EXPECT_EQ(received.substr(received.size() - 30, 13), std::string("\x1B(R\x08\0\0REMOTE1", 13));
}

TEST(Cli, EncodePrintsTheBytesOfOneBuilder) {
  auto line = [](const std::string& args) {
    std::string out = Cli("encode " + args).out;
    return out.substr(0, out.find('\n'));
  };
  EXPECT_EQ(line("SetResolutionInfo 1440 720"), "1B 28 44 04 00 A0 05 02 01");
  EXPECT_EQ(line("compress 010202"), "00 01 FF 02");
  EXPECT_EQ(line("bits 10000001 2"), "FF 81");
  EXPECT_EQ(line("factory 7D 01FE80 1 0x12C"), "1B 7D 01 08 00 1B 74 01 FE 80 01 2C 01");
  EXPECT_EQ(line("factory 7C 639CB1 261206093000"),
            "1B 7C 01 0B 00 1B 74 63 9C B1 1A 0C 06 09 1E 00");
  EXPECT_EQ(line("--model BS RemoteAC 1"), "41 43 02 00 00 01");
  EXPECT_EQ(Cli("encode SetRasterData 0 3 1 1").exitCode, 2);
  EXPECT_EQ(Cli("encode NoSuchBuilder").exitCode, 2);
  EXPECT_EQ(Cli("encode factory 7D 01FE81 1 2").exitCode, 2);
  EXPECT_EQ(Cli("encode SetUnit 1 2").exitCode, 2);
}

TEST(Cli, RenderSummarisesWhatWasPrinted) {
  testing_support::TempFolder folder;
  // One page: 2 rows of 3 bytes in colour 0x80, then the end of the page.
  const std::string job = std::string("\x1B\x69\x80\x01\x02\x03\x00\x02\x00\xFE\xC0\xFE\x03", 13) +
                          std::string("\x0D\x0A\x0C\x1B\x40", 5);
  folder.Write("job.prn", job);
  const auto run = Cli("render '" + (folder / "job.prn") + "' -o '" + (folder / "out.png") + "'");
  ASSERT_EQ(run.exitCode, 0);
  const auto summary = run.Json();
  EXPECT_EQ(summary["pages"], 1);
  EXPECT_EQ(summary["rasterBlocks"], 1);
  EXPECT_EQ(summary["rows"], 2);
  EXPECT_EQ(summary["dots"]["0x80"], 3 + 3);  // C0 and 03 each hold one dot
  EXPECT_EQ(summary["warnings"].size(), 0u);
  EXPECT_TRUE(std::filesystem::exists(folder / "out.png"));

  // Nothing written, or nothing printed, is no success.
  const auto unwritable =
      Cli("render '" + (folder / "job.prn") + "' -o '" + (folder / "no/such/dir/x.png") + "'");
  EXPECT_EQ(unwritable.exitCode, 2);
  EXPECT_NE(unwritable.err.find("1 of 1 pages could not be written"), std::string::npos)
      << unwritable.err;
  folder.Write("empty.prn", "\x1B@");
  const auto blank = Cli("render '" + (folder / "empty.prn") + "' -o '" + (folder / "e.png") + "'");
  EXPECT_EQ(blank.exitCode, 2);
  EXPECT_NE(blank.err.find("no page came out"), std::string::npos) << blank.err;
  EXPECT_EQ(blank.Json()["pages"], 0);

  // A crafted job that places its raster 745,000 inches to the right is refused, not allocated.
  folder.Write("far.prn", std::string("\x1B($\x04\x00\xFF\xFF\xFF\x7F", 9) + job);
  const auto far =
      Cli("render '" + (folder / "far.prn") + "' -o '" + (folder / "far.png") + "' --full");
  EXPECT_EQ(far.exitCode, 2);
  EXPECT_NE(far.out.find("larger than a picture may be"), std::string::npos) << far.out;
}

TEST(Cli, AMachineNumberTooLongForItsBarcodeIsRefusedBeforeAnythingIsBuilt) {
  testing_support::TempFolder folder;
  const std::string fits(27, 'A');
  ASSERT_EQ(Cli("pattern inspection-sheet-1 --model LW --machine-no " + fits + " -o '" +
                (folder / "fits.prn") + "'")
                .exitCode,
            0);
  for (const char* pattern : {"inspection-sheet-1", "inspection-sheet-2", "barcode"}) {
    const CliRun run = Cli(std::string("pattern ") + pattern + " --model LW --machine-no " + fits +
                           "A -o '" + (folder / "long.prn") + "'");
    EXPECT_EQ(run.exitCode, 2) << pattern;
    EXPECT_NE(run.err.find("too long for the barcode: 28 characters, at most 27 fit"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "long.prn"));
  }
}

TEST(Cli, ARowLongerThanTheJobIsRefusedBeforeItIsBuilt) {
  const CliRun huge = Cli("encode bits 10000001 2147483647");
  EXPECT_EQ(huge.exitCode, 2);
  EXPECT_NE(huge.err.find("does not fit in the job buffer of 16777216 bytes"), std::string::npos)
      << huge.err;
}

TEST(Cli, OnlyTheUsbPrinterPortsAreTaken) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW", folder.Path()).exitCode, 0);
  const std::string before = Cli("vprinter nvram read 0x200 2", folder.Path()).Json()["bytes"];
  for (const char* args : {"nvram write 0x200 ABCD --port -12", "status --port -1",
                           "status --port 15", "run 310230 --port 0"}) {
    const CliRun refused = Cli(args, folder.Path());
    EXPECT_EQ(refused.exitCode, 2) << args;
    EXPECT_NE(refused.err.find("not a USB printer port"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(Cli("vprinter nvram read 0x200 2", folder.Path()).Json()["bytes"], before);
  EXPECT_EQ(Cli("status --port 11", folder.Path()).exitCode, 0);
}

TEST(Cli, EveryPositionalArgumentIsDescribed) {
  const CliRun help = Cli("lpd-send --help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("The printer's network name or address"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("The job to send, unchanged"), std::string::npos) << help.out;
}

TEST(Cli, AProgramFolderThatDoesNotExistIsRefusedAndNotMade) {
  testing_support::TempFolder folder;
  const CliRun run = Cli("vprinter attach --model LW", folder / "missing");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("the program folder does not exist"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

TEST(Cli, MissingSettingsAreToldOnceOnStandardError) {
  testing_support::TempFolder folder;
  const CliRun run = Cli("settings", folder.Path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "grelt02-cli: GRELT02.INI cannot be read in " + folder.Path() +
                         "; the program runs on its default settings\n"
                         "grelt02-cli: the language file " + folder.Path() +
                         "/Parameter/ProfileName/ProgName.mnu cannot be read; the built-in texts "
                         "are used\n");
  EXPECT_EQ(Cli("settings").err, "");  // the staged program folder has its files

  // A language file named but missing: the built-in texts serve, and that is said once.
  folder.Write("GRELT02.INI", "[Profile]\nstrProfile=P\nstrLanguage=Deutsch\n");
  const CliRun named = Cli("settings", folder.Path());
  EXPECT_EQ(named.exitCode, 0);
  EXPECT_EQ(named.Json()["strStatus04"], "Status - ERROR  4 J");
  EXPECT_EQ(named.err, "grelt02-cli: the language file " + folder.Path() +
                           "/Parameter/P/Deutsch.mnu cannot be read; the built-in texts are used\n");
}

TEST(Cli, AFifthVirtualPrinterFindsNoUsbSlotAndSaysSo) {
  testing_support::TempFolder folder;
  std::set<int> ports;
  for (int n = 1; n <= 4; ++n) {
    const CliRun run =
        Cli("vprinter attach --model LW --name p" + std::to_string(n), folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ports.insert(run.Json()["port"].get<int>());
  }
  EXPECT_EQ(ports, (std::set<int>{11, 12, 13, 14}));
  const CliRun fifth = Cli("vprinter attach --model LW --name p5", folder.Path());
  EXPECT_EQ(fifth.exitCode, 2);
  EXPECT_NE(fifth.err.find("all four USB printer slots"), std::string::npos) << fifth.err;
  EXPECT_EQ(Cli("vprinter list", folder.Path()).Json().size(), 4u);
  // One that opens by its own number is still reachable.
  const CliRun byNumber = Cli("vprinter attach --model LW --name p6 --port 3", folder.Path());
  ASSERT_EQ(byNumber.exitCode, 0);
  EXPECT_TRUE(byNumber.Json()["port"].is_null());
  EXPECT_EQ(byNumber.Json()["portByNumber"], 3);
}

// After an exchange the port map remembers a printer that is gone: the one printer plugged in
// gets a port, and the configured port reaches it.
TEST(Cli, APrinterAloneOnTheBenchIsReachedAfterAnExchange) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  folder.Write("USB.ini",
               "Printer1=\\\\?\\USB#VID_7E57&PID_0A01#OLDPRINTER01#{28d78fad-5a12-11d1-ae5b-"
               "0000f803a8c2}\r\nPrinter2=\r\nPrinter3=\r\nPrinter4=\r\n");
  const CliRun attached = Cli("vprinter attach --model LW --name lw", folder.Path());
  ASSERT_EQ(attached.exitCode, 0) << attached.err;
  EXPECT_EQ(attached.Json()["port"], 12);
  const CliRun serial = Cli("run 310230", folder.Path());  // the configured port is 11
  EXPECT_EQ(serial.exitCode, 0) << serial.err;
  EXPECT_EQ(serial.Json()["outputText"].get<std::string>().size(), 10u);
}

// A line printer daemon on a loopback port that has no queue PASSTHRU: it refuses the first
// subcommand, as Debian's daemons do.
class RefusingDaemon {
public:
  RefusingDaemon() : listener_(testing_support::ListenOnLoopback(port_)) {
    thread_ = std::thread([this] {
      const int connection = ::accept(listener_, nullptr, nullptr);
      char byte = 0;
      while (::recv(connection, &byte, 1, 0) == 1 && byte != '\n') {
      }
      const char refused = 1;
      ::send(connection, &refused, 1, MSG_NOSIGNAL);
      ::close(connection);
    });
  }
  ~RefusingDaemon() {
    thread_.join();
    ::close(listener_);
  }
  int Port() const { return port_; }

private:
  int port_ = 0;
  int listener_;
  std::thread thread_;
};

TEST(Cli, ALinePrinterDaemonThatRefusesTheJobIsNoSuccess) {
  testing_support::TempFolder folder;
  folder.Write("job.prn", "job");
  RefusingDaemon daemon;
  const CliRun run = Cli("lpd-send 127.0.0.1 '" + (folder / "job.prn") + "' --port " +
                         std::to_string(daemon.Port()));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("The printer refused the job (answer 1)"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST(Cli, AProfileThatLeadsOutOfTheProgramFolderIsRefused) {
  testing_support::TempFolder folder;
  folder.Write("GRELT02.INI", "[Profile]\nstrProfile=../../somewhere\n");
  const CliRun run = Cli("settings", folder.Path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.Json()["strProfile"], "ProfileName");
  EXPECT_NE(run.err.find("strProfile \"../../somewhere\" is not a name below the program folder"),
            std::string::npos)
      << run.err;
}

TEST(Cli, AMainBoardExchangeGivesTheSamePrinterANewBoard) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW --name line", folder.Path()).exitCode, 0);
  EXPECT_NE(Cli("vprinter nvram read 66 10", folder.Path()).Json()["bytes"],
            "00 00 00 00 00 00 00 00 00 00");
  const CliRun exchanged = Cli("vprinter attach --model LW --name line --new-board", folder.Path());
  ASSERT_EQ(exchanged.exitCode, 0) << exchanged.err;
  EXPECT_EQ(Cli("vprinter nvram read 66 10", folder.Path()).Json()["bytes"],
            "00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(Cli("vprinter nvram read 161 8", folder.Path())
                .Json()["bytes"]
                .get<std::string>()
                .substr(0, 2),
            "00");
  EXPECT_EQ(Cli("vprinter list", folder.Path()).Json().size(), 1u);
  // A write the board cannot take fails the command.
  ASSERT_EQ(Cli("vprinter fault write-fail=0x200-0x201", folder.Path()).exitCode, 0);
  EXPECT_EQ(Cli("nvram write 0x200 ABCD", folder.Path()).exitCode, 2);
  EXPECT_EQ(Cli("nvram write 0x202 ABCD", folder.Path()).exitCode, 0);
}

TEST(Cli, BadUsageIsRefusedWithExitCodeTwo) {
  for (const char* args :
       {"", "menu tree", "menu page notanumber", "nosuchcommand", "run 210090 --answer maybe",
        "status --port x", "menu main --bogus", "record --csv --json"})
    EXPECT_EQ(Cli(args).exitCode, 2) << args;
  EXPECT_EQ(Cli("--help").exitCode, 0);
}

}  // namespace

TEST(Cli, MainBoardExchangeThroughTheCommandLine) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  ASSERT_EQ(Cli("vprinter attach --model LW --name old", folder.Path()).exitCode, 0);
  const std::string serial = Cli("nvram read 66 10 --prd", folder.Path()).Json()["text"];
  const auto saved = Cli("backup -o '" + (folder / "old.bin") + "'", folder.Path());
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  // The progress as it goes, not the save dialog's filter.
  EXPECT_TRUE(saved.err.starts_with("Reading the NVRAM: 0%\nReading the NVRAM: 10%\n"))
      << saved.err;
  EXPECT_TRUE(saved.err.ends_with("Reading the NVRAM: 100%\n")) << saved.err;
  EXPECT_EQ(saved.Json()["serialNumber"], serial);
  EXPECT_EQ(saved.Json()["file"], folder / "old.bin");
  EXPECT_EQ(std::filesystem::file_size(folder / "old.bin"), 65560u);
  // What the information tool tells of it.
  const json info =
      RunProgram(std::string(GRELT_NVRAM_INFO) + " --json '" + (folder / "old.bin") + "'").Json();
  EXPECT_EQ(info["serialNumber"], serial);
  EXPECT_EQ(info["complete"], true);
  EXPECT_EQ(info["backupDate"].size(), 6u);
  EXPECT_EQ(info["destinationSet"], 1);
  EXPECT_EQ(info["programDestination"], true);
  bool skippedRangeBlank = false;
  for (const auto& range : info["blankRanges"])
    skippedRangeBlank |= range[0] <= 0x4000 && range[1] >= 0x7FFF;
  EXPECT_TRUE(skippedRangeBlank);
  std::filesystem::copy_file(folder / "old.bin", folder / "short.bin");
  std::filesystem::resize_file(folder / "short.bin", 100);
  const json shortInfo =
      RunProgram(std::string(GRELT_NVRAM_INFO) + " --json '" + (folder / "short.bin") + "'").Json();
  EXPECT_EQ(shortInfo["complete"], false);
  EXPECT_EQ(shortInfo["size"], 100);
  EXPECT_EQ(shortInfo["serialNumber"], serial);
  EXPECT_EQ(RunProgram(std::string(GRELT_NVRAM_INFO) + " --json nothing.bin").exitCode, 2);
  EXPECT_EQ(RunProgram(std::string(GRELT_NVRAM_INFO) + " --json browse").exitCode, 2);

  const auto backup = Cli("run 210200", folder.Path());
  ASSERT_EQ(backup.exitCode, 0) << backup.err;
  EXPECT_EQ(backup.Json()["operation"], "BackupNvramForExchange");
  // The same printer with its main board exchanged.
  ASSERT_EQ(Cli("vprinter attach --model LW --name old --new-board", folder.Path()).exitCode, 0);
  // Cancelled at the question: nothing written, the image's serial number reported.
  const auto cancelled = Cli("run 110200", folder.Path());
  EXPECT_EQ(cancelled.exitCode, 0);
  EXPECT_EQ(cancelled.Json()["outputText"], serial);
  EXPECT_EQ(cancelled.Json()["done"], 0);
  const auto restored = Cli("run 110200 --answer ok", folder.Path());
  ASSERT_EQ(restored.exitCode, 0) << restored.err;
  EXPECT_EQ(restored.Json()["done"], 1);
  EXPECT_EQ(Cli("nvram read 66 10 --prd", folder.Path()).Json()["text"], serial);
  // From a chosen file; without --file the file dialog is cancelled.
  EXPECT_EQ(Cli("run 110200 --selector 1 --answer ok", folder.Path()).exitCode, 1);
  const auto chosen = Cli(
      "run 110200 --selector 1 --answer ok --file '" + (folder / "old.bin") + "'", folder.Path());
  EXPECT_EQ(chosen.exitCode, 0) << chosen.err;
  EXPECT_EQ(Cli("backup -o x.bin --port 12", folder.Path()).exitCode, 2);  // nothing there
}

TEST(Cli, ShippedSamplesGoToThePrinterAsTheDialogsSendThem) {
  testing_support::TempFolder folder;
  CopyShippedFiles(folder);
  namespace fs = std::filesystem;
  for (const char* samples : {"Firmware", "Prnfile"})
    fs::copy(fs::path(GRELT_PROGRAM_DIR) / samples, fs::path(folder.Path()) / samples);
  // A firmware file for every model the program knows, and one damaged file.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "Firmware"), fs::directory_iterator()),
            static_cast<long>(Cli("models").Json().size()) + 1);
  ASSERT_EQ(Cli("vprinter attach --model LW", folder.Path()).exitCode, 0);
  for (const char* file : {"Prnfile/ColourBars.PRN", "Prnfile/NozzleCheck_LW.PRN"}) {
    const auto printed = Cli(std::string("print '") + (folder / file) + "'", folder.Path());
    EXPECT_EQ(printed.exitCode, 0) << file << printed.err;
    EXPECT_EQ(printed.Json()["messages"].size(), 0u);
  }
  const auto damaged =
      Cli("firmware '" + (folder / "Firmware/DAMAGED_LW07A0.UPG") + "'", folder.Path());
  EXPECT_EQ(damaged.exitCode, 1);
  const json messages = damaged.Json()["messages"];
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back()["icon"], "error");
  EXPECT_EQ(messages.back()["text"], Cli("menu message 99000503").Json()["text"]);
  EXPECT_EQ(Cli("vprinter status", folder.Path()).Json()["firmware"], "LW06B1");
  EXPECT_EQ(Cli("firmware ''", folder.Path()).exitCode, 1);  // no file: 99000504
  EXPECT_EQ(Cli("print '" + (folder / "none.PRN") + "'", folder.Path()).exitCode, 1);
}
