// Eight stations at once, each a process of its own with its own virtual printer, run their
// operations into one line database while its server is stopped for a while and started again:
// afterwards the database holds every run once, with its measurements, exactly as each station's
// local record has it, and no run failed or waited on the database beyond its time-outs.

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "operations/service_operations.h"
#include "record/line_database.h"
#include "record/line_sender.h"
#include "support/postgres_server.h"
#include "support/service_fixture.h"

extern char** environ;

namespace {

using namespace testing_support;

#ifdef GRELT_SANITIZE_BUILD
constexpr int kRunsPerStation = 30;  // a sample: each run is many times slower there
#else
constexpr int kRunsPerStation = 250;
#endif
constexpr int kStations = 8;

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// One station: runs the motor measurement (nine measurements) and the serial number read in
// turn; after each run the waiting runs go out, as the command line sends them. Reports each run
// on standard output, and at the end the longest time spent sending. Run only by LineLoad, which
// starts it in processes of their own.
class LoadStation : public OperationsFixture {};

TEST_F(LoadStation, DISABLED_RunsAndSends) {
  const std::string station = FromEnvironment("GRELT_LOAD_STATION");
  ASSERT_FALSE(station.empty()) << "one of the stations LineLoad starts";
  settings.strHdidBELTNo = "L" + station;
  settings.strLineDatabase = FromEnvironment("GRELT_LOAD_DATABASE");
  operations::AddServicePrintOperations(table);
  operations::AddIdentityOperations(table);
  Attach("LW");
  const record::Outbox outbox(Environment().folders.csv);
  std::int64_t longestSendMs = 0;
  int mostWaiting = 0;
  for (int i = 0; i < std::stoi(FromEnvironment("GRELT_LOAD_RUNS")); ++i) {
    request.done = 0;
    ASSERT_TRUE(i % 2 == 0 ? Run(operations::kExecuteBase, 10060)
                           : Run(operations::kCheckBase, 10230));
    ASSERT_TRUE(request.operationSucceeded) << i;
    const auto begun = std::chrono::steady_clock::now();
    mostWaiting = std::max(mostWaiting,
                           record::SendWaitingRuns(outbox, settings.strLineDatabase, {}).waiting);
    longestSendMs =
        std::max<std::int64_t>(longestSendMs, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::steady_clock::now() - begun)
                                                  .count());
    std::printf("run %d\n", i);
    std::fflush(stdout);
  }
  std::printf("longest-send-ms %lld\nmost-waiting %d\n", static_cast<long long>(longestSendMs),
              mostWaiting);
  std::filesystem::copy(Environment().folders.csv, FromEnvironment("GRELT_LOAD_KEEP"),
                        std::filesystem::copy_options::recursive);
}

struct Station {
  pid_t pid = 0;
  int output = -1;
  std::string pending;
  std::int64_t longestSendMs = -1;
  int mostWaiting = -1;  // runs left waiting after a send
};

Station StartStation(int number, const std::string& database, const std::string& keep) {
  int pipeEnds[2];
  EXPECT_EQ(::pipe(pipeEnds), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::vector<std::string> environment = {
      "GRELT_LOAD_STATION=" + std::to_string(number), "GRELT_LOAD_DATABASE=" + database,
      "GRELT_LOAD_RUNS=" + std::to_string(kRunsPerStation), "GRELT_LOAD_KEEP=" + keep};
  for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string self = std::filesystem::read_symlink("/proc/self/exe");
  std::string filter = "--gtest_filter=LoadStation.DISABLED_RunsAndSends";
  std::string disabled = "--gtest_also_run_disabled_tests";
  char* argv[] = {self.data(), filter.data(), disabled.data(), nullptr};
  Station started;
  EXPECT_EQ(posix_spawn(&started.pid, self.c_str(), &actions, nullptr, argv, envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  started.output = pipeEnds[0];
  return started;
}

// Reads what the stations report until all have ended, calling `progress` with the number of
// runs done so far by all of them.
void FollowStations(std::vector<Station>& stations, const std::function<void(int)>& progress) {
  int runs = 0;
  for (std::size_t open = stations.size(); open > 0;) {
    std::vector<pollfd> fds;
    for (const Station& s : stations) fds.push_back({s.output, POLLIN, 0});
    ::poll(fds.data(), fds.size(), -1);
    for (std::size_t i = 0; i < stations.size(); ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      char chunk[4096];
      const ssize_t got = ::read(stations[i].output, chunk, sizeof chunk);
      if (got <= 0) {
        ::close(stations[i].output);
        stations[i].output = -1;
        --open;
        continue;
      }
      stations[i].pending.append(chunk, static_cast<std::size_t>(got));
      for (std::size_t end; (end = stations[i].pending.find('\n')) != std::string::npos;) {
        const std::string line = stations[i].pending.substr(0, end);
        stations[i].pending.erase(0, end + 1);
        if (line.rfind("run ", 0) == 0) progress(++runs);
        if (line.rfind("longest-send-ms ", 0) == 0)
          stations[i].longestSendMs = std::stoll(line.substr(16));
        if (line.rfind("most-waiting ", 0) == 0)
          stations[i].mostWaiting = std::stoi(line.substr(13));
      }
    }
  }
}

TEST(LineLoad, EightStationsAtOnceAndAServerStoppedMidway) {
  PostgresServer server;
  if (!server.WhyNot().empty()) GTEST_SKIP() << server.WhyNot();
  const std::string database = server.CreateDatabase("load");
  std::string error;
  {
    const auto admin = record::LineDatabase::Connect(server.Connection(database), {}, &error);
    ASSERT_TRUE(admin && record::SetUpLineDatabase(*admin, "station_load", &error)) << error;
  }
  const std::string connection = server.Connection(database, "station_load");
  TempFolder kept;
  std::vector<Station> stations;
  for (int n = 1; n <= kStations; ++n)
    stations.push_back(StartStation(n, connection, kept / ("station-" + std::to_string(n))));
  constexpr int kAll = kStations * kRunsPerStation;
  bool stopped = false, restarted = false;
  FollowStations(stations, [&](int runs) {
    if (!stopped && runs >= kAll / 4) {
      server.Stop();
      stopped = true;
    }
    if (!restarted && runs >= kAll * 3 / 5) restarted = server.Start();
  });
  ASSERT_TRUE(stopped && restarted);
  int mostWaiting = 0;
  for (const Station& s : stations) {
    mostWaiting = std::max(mostWaiting, s.mostWaiting);
    int status = 0;
    ::waitpid(s.pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a station failed a run";
    EXPECT_GE(s.longestSendMs, 0);
    // Refused at once while the server was away; never the connect time-out and more.
    EXPECT_LT(s.longestSendMs, 3000) << "a run waited on the database";
  }

  EXPECT_GT(mostWaiting, 10) << "the server's absence was never felt";

  // What a station that ended while the server was away still holds goes at its next start.
  std::map<std::string, record::ServiceRecordEntry> local;
  std::size_t measurements = 0;
  for (int n = 1; n <= kStations; ++n) {
    const std::string csv = kept / ("station-" + std::to_string(n));
    record::SendWaitingRuns(record::Outbox(csv), connection, {});
    EXPECT_TRUE(record::Outbox(csv).Waiting().empty());
    for (auto& run : record::ReadServiceRecord(csv, "")) {
      measurements += run.measurements.size();
      local[run.runId] = std::move(run);
    }
  }
  ASSERT_EQ(local.size(), static_cast<std::size_t>(kAll));
  EXPECT_EQ(server.Psql(database, "SELECT count(*) FROM grelt_line.runs"), std::to_string(kAll));
  EXPECT_EQ(server.Psql(database, "SELECT count(*) FROM grelt_line.measurements"),
            std::to_string(measurements));
  EXPECT_EQ(server.Psql(database, "SELECT count(*) FROM grelt_line.stations"),
            std::to_string(kStations));
  const auto line = record::LineDatabase::Open(connection, {}, &error);
  ASSERT_TRUE(line) << error;
  const auto history = line->History(local.begin()->second.serial, &error);
  ASSERT_TRUE(history) << error;
  ASSERT_EQ(history->size(), static_cast<std::size_t>(kAll));
  for (const record::ServiceRecordEntry& held : *history) {
    ASSERT_TRUE(local.contains(held.runId));
    EXPECT_EQ(held, local[held.runId]);
  }
}

}  // namespace
