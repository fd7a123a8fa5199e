// The line record as a script sees it: runs carry their run id, station and measurements; with a
// line database they go out after each run, come back from every station, and wait (saying why)
// while the database refuses the station.

#include <gtest/gtest.h>

#include <optional>

#include "record/line_database.h"
#include "support/chromium.h"
#include "support/cli_runner.h"
#include "support/postgres_server.h"
#include "support/record_runs.h"

namespace {

using testing_support::Cli;
using testing_support::CopyShippedFiles;
using testing_support::Occurrences;
using testing_support::PostgresServer;
using testing_support::SetMainSetting;
using testing_support::TempFolder;

// A station's program folder with a virtual printer attached.
void MakeStation(const TempFolder& folder, const std::string& belt) {
  CopyShippedFiles(folder);
  SetMainSetting(folder, "strHdidBELTNo", belt);
  ASSERT_EQ(Cli("vprinter attach --model LW --name lw", folder.Path()).exitCode, 0);
}

// Registers the head ID the printer holds: a run with one measurement.
void RegisterHeadId(const TempFolder& folder) {
  const std::string id = Cli("run 310080", folder.Path()).Json()["outputText"];
  ASSERT_EQ(Cli("run 110080 --input " + id, folder.Path()).exitCode, 0);
}

TEST(LineRecordCli, RunsCarryTheirIdStationAndMeasurements) {
  TempFolder folder;
  MakeStation(folder, "L7");
  RegisterHeadId(folder);
  const auto rows = Cli("record", folder.Path()).Json();
  ASSERT_EQ(rows.size(), 2u);
  const auto& run = rows[0];
  EXPECT_EQ(run["runId"].get<std::string>().size(), 36u);
  EXPECT_NE(run["runId"], rows[1]["runId"]);
  EXPECT_EQ(run["station"], "L7-00-00000000");
  EXPECT_FALSE(run["host"].get<std::string>().empty());
  EXPECT_EQ(run["measurements"].dump(),
            R"([{"name":"Head ID registered","value":1.0,"unit":"","low":1.0,"high":1.0,)"
            R"("verdict":"pass"}])");
  EXPECT_EQ(rows[1]["measurements"].dump(), "[]");

  EXPECT_EQ(Cli("record status", folder.Path()).Json().dump(),
            R"({"lineDatabase":null,"waiting":0,"lastError":null})");
  const auto sync = Cli("record sync", folder.Path());
  EXPECT_EQ(sync.exitCode, 2);
  EXPECT_NE(sync.err.find("names no line database"), std::string::npos) << sync.err;
}

class LineDatabaseCli : public ::testing::Test {
protected:
  void SetUp() override {
#ifdef GRELT_SANITIZE_BUILD
    GTEST_SKIP() << "the release build runs it; record_tests run the database code here";
#endif
    server.emplace();
    if (!server->WhyNot().empty()) GTEST_SKIP() << server->WhyNot();
    database = server->CreateDatabase("cli");
    const auto setup = Cli("record setup-database --station-login station_a --admin '" +
                           server->Connection(database) + "'");
    ASSERT_EQ(setup.exitCode, 0) << setup.err;
    EXPECT_EQ(setup.Json()["stationLogin"], "station_a");
  }
  nlohmann::ordered_json Status(const TempFolder& folder) {
    return Cli("record status", folder.Path()).Json();
  }

  std::optional<PostgresServer> server;  // started once the test is to run
  std::string database;
};

// Two stations, one printer: each run goes out after it, and either station sees both.
TEST_F(LineDatabaseCli, APrintersRunsComeBackFromEveryStation) {
  TempFolder first, second;
  MakeStation(first, "L1");
  MakeStation(second, "L2");
  for (const TempFolder* station : {&first, &second})
    SetMainSetting(*station, "strLineDatabase", server->Connection(database, "station_a"));
  RegisterHeadId(first);
  const std::string serial = Cli("run 310230", second.Path()).Json()["outputText"];
  for (const TempFolder* station : {&first, &second})
    EXPECT_EQ(Status(*station)["waiting"], 0) << Status(*station).dump();

  const auto history = Cli("record --serial " + serial, first.Path()).Json();
  ASSERT_EQ(history.size(), 3u);  // the head ID read and registered, then the serial read
  EXPECT_EQ(history[0]["station"], "L2-00-00000000");
  EXPECT_EQ(history[0]["function"], 310230);
  EXPECT_EQ(history[1]["station"], "L1-00-00000000");
  EXPECT_EQ(history[1]["measurements"][0]["name"], "Head ID registered");
  EXPECT_EQ(Cli("record --serial " + serial, second.Path()).Json(), history);
  EXPECT_EQ(Cli("record", first.Path()).Json().size(), 2u);  // this station's own record
}

// A station the database refuses (a wrong password, a wrong host, a password in the settings)
// still runs; its runs wait, `record status` says why, and `record sync` sends them once it can.
TEST_F(LineDatabaseCli, RunsWaitWhileTheDatabaseRefusesTheStation) {
  server->Psql(database, "CREATE ROLE station_pw LOGIN PASSWORD 'right' IN ROLE grelt_station");
  TempFolder station;
  MakeStation(station, "L3");
  const std::string passfile =
      station.Write("pgpass", "127.0.0.1:" + std::to_string(server->Port()) + ":" + database +
                                  ":station_pw:wrong\n");
  std::filesystem::permissions(
      passfile, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  SetMainSetting(station, "strLineDatabase",
                 server->TcpConnection(database, "station_pw") + " passfile=" + passfile);
  const auto run = Cli("run 310230", station.Path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.Json()["succeeded"]);
  auto status = Status(station);
  EXPECT_EQ(status["waiting"], 1);
  EXPECT_NE(status["lastError"].get<std::string>().find("password authentication failed"),
            std::string::npos)
      << status.dump();

  station.Write("pgpass", "127.0.0.1:" + std::to_string(server->Port()) + ":" + database +
                              ":station_pw:right\n");
  const auto sync = Cli("record sync", station.Path());
  EXPECT_EQ(sync.exitCode, 0) << sync.out;
  EXPECT_EQ(sync.Json()["sent"], 1);
  EXPECT_EQ(Status(station)["waiting"], 0);
  EXPECT_TRUE(Status(station)["lastError"].is_null());
  EXPECT_EQ(server->Psql(database, "SELECT count(*) FROM grelt_line.runs"), "1");

  SetMainSetting(station, "strLineDatabase", "host=127.0.0.1 port=1 dbname=x connect_timeout=2");
  Cli("run 310230", station.Path());
  EXPECT_NE(Status(station)["lastError"].get<std::string>().find("cannot be reached"),
            std::string::npos);
  SetMainSetting(station, "strLineDatabase", server->Connection(database) + " password=x");
  Cli("run 310230", station.Path());
  status = Status(station);
  EXPECT_EQ(status["waiting"], 2);
  EXPECT_NE(status["lastError"].get<std::string>().find("holds a password"), std::string::npos);
}

// The report of a printer seen at two stations, opened in Chromium: its runs are there, and the
// chart of its motor current shows the passed points green, the failed one red, and the limits.
TEST_F(LineDatabaseCli, TheHistoryReportShowsEveryStationsRunsInChromium) {
  if (const std::string why = testing_support::WhyChromiumCannotRun(); !why.empty())
    GTEST_SKIP() << why;
  TempFolder station;
  MakeStation(station, "L1");
  SetMainSetting(station, "strLineDatabase", server->Connection(database, "station_a"));
  RegisterHeadId(station);
  const std::string serial = Cli("run 310230", station.Path()).Json()["outputText"];
  std::string error;
  const auto line = record::LineDatabase::Open(server->Connection(database), {}, &error);
  ASSERT_TRUE(line) << error;
  for (const auto& [time, current] : {std::pair{"2026-12-01 08:00:00", 310.0},
                                      {"2026-12-02 08:00:00", 520.0},
                                      {"2026-12-03 08:00:00", 380.0}}) {
    record::ServiceRecordEntry run = testing_support::SampleRun(serial, time, 210060);
    run.station = "L2-07-J02";
    run.host = "station-7";
    run.result = current > 500 ? record::kRecordFailed : record::kRecordDone;
    run.measurements = {record::Judge("CR Current_H", current, "", 250, 500)};
    ASSERT_TRUE(line->Insert(run, &error)) << error;
  }

  const std::string page = station / "report.html";
  const auto report = Cli("report --serial " + serial + " -o '" + page + "'", station.Path());
  ASSERT_EQ(report.exitCode, 0) << report.err;
  EXPECT_EQ(report.Json()["runs"], 6);
  EXPECT_EQ(report.Json()["lineDatabase"], true);
  const std::string dom = testing_support::ChromiumDom(page);
  EXPECT_EQ(Occurrences(dom, "<tr>"), 7u) << dom.substr(0, 400);  // headings and six runs
  EXPECT_EQ(Occurrences(dom, "<svg"), 2u);                        // current and head ID
  EXPECT_EQ(Occurrences(dom, "L2-07-J02 (station-7)"), 3u + 3u);  // rows and point titles
  const testing_support::Screenshot shot =
      testing_support::ChromiumScreenshot(page, station / "report.png", 1200, 1000);
  ASSERT_EQ(shot.width, 1200);
  EXPECT_GT(shot.Count(0x1E8E3E), 3 * 40);  // three green points of some 70 pixels each
  EXPECT_GT(shot.Count(0xD93025), 40);      // the red one
  EXPECT_GT(shot.Count(0xB3261E), 100);     // the dashed limits and the failed result
}

}  // namespace
