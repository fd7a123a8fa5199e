// The line database on a PostgreSQL server of the benchmark's own: the time a run spends on the
// database after it ends (put in the outbox, connected, sent, taken out), the insert alone on an
// open connection, and eight stations sending at once (runs per second the server takes).

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

#include "record/line_database.h"
#include "record/line_sender.h"
#include "support/postgres_server.h"

namespace {

testing_support::PostgresServer& Server() {
  static testing_support::PostgresServer server;
  return server;
}

const std::string& Database() {
  static const std::string connection = [] {
    const std::string database = Server().CreateDatabase("bench");
    std::string error;
    const auto admin = record::LineDatabase::Connect(Server().Connection(database), {}, &error);
    if (!admin || !record::SetUpLineDatabase(*admin, "station_bench", &error))
      std::fprintf(stderr, "bench_line_database: %s\n", error.c_str());
    return Server().Connection(database, "station_bench");
  }();
  return connection;
}

// A motor measurement's run: nine measurements and a message.
record::ServiceRecordEntry MotorRun(int station) {
  record::ServiceRecordEntry run;
  run.runId = record::NewRunId();
  run.time = "2026-12-09 10:00:00";
  run.station = "L" + std::to_string(station) + "-01-J01";
  run.host = "bench";
  run.serial = "AB12345678";
  run.model = "LW";
  run.firmware = "LW06B1";
  run.functionNumber = 210060;
  run.title = "CR motor load";
  run.result = record::kRecordDone;
  run.messages = {"The operation has finished successfully."};
  for (int i = 0; i < 9; ++i)
    run.measurements.push_back(
        record::Judge("CR value " + std::to_string(i), 300 + i, "", 250, 500));
  return run;
}

bool Ready(benchmark::State& state) {
  if (Server().WhyNot().empty()) return true;
  state.SkipWithError(Server().WhyNot().c_str());
  return false;
}

// What the command line does after each run: the run into the outbox, a connection, the send.
void BM_RunToDatabase(benchmark::State& state) {
  if (!Ready(state)) return;
  testing_support::TempFolder csv;
  const record::Outbox outbox(csv.Path());
  std::int64_t millis = 0;
  for (auto _ : state) {
    outbox.Put(MotorRun(1), ++millis, nullptr);
    const record::SendReport report = record::SendWaitingRuns(outbox, Database(), {});
    if (report.sent != 1) state.SkipWithError("a run did not go out");
  }
}
BENCHMARK(BM_RunToDatabase)->Unit(benchmark::kMillisecond)->UseRealTime();

// The insert alone, on a connection held open.
void BM_InsertRun(benchmark::State& state) {
  if (!Ready(state)) return;
  std::string error;
  const auto line = record::LineDatabase::Open(Database(), {}, &error);
  for (auto _ : state)
    if (!line || !line->Insert(MotorRun(2), &error)) state.SkipWithError(error.c_str());
}
BENCHMARK(BM_InsertRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// The desktop program's sender, its connection kept from one run to the next; with eight
// threads, eight stations at once (the runs the server takes a second).
void BM_RunToDatabaseKeptConnection(benchmark::State& state) {
  if (!Ready(state)) return;
  testing_support::TempFolder csv;
  const record::Outbox outbox(csv.Path());
  std::unique_ptr<record::LineDatabase> kept;
  std::int64_t millis = 0;
  for (auto _ : state) {
    outbox.Put(MotorRun(10 + state.thread_index()), ++millis, nullptr);
    if (record::SendWaitingRuns(outbox, Database(), {}, false, &kept).sent != 1)
      state.SkipWithError("a run did not go out");
  }
  state.counters["runs"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RunToDatabaseKeptConnection)
    ->Threads(1)
    ->Threads(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
