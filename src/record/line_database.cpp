#include "record/line_database.h"

#include <libpq-fe.h>
#include <poll.h>

#include <chrono>
#include <map>

namespace record {
namespace {

// libpq's texts end with a line break; the record shows them on one line.
std::string Trimmed(const char* text) {
  std::string trimmed = text != nullptr ? text : "";
  while (!trimmed.empty() && (trimmed.back() == '\n' || trimmed.back() == ' ')) trimmed.pop_back();
  return trimmed;
}

double NumberIn(const char* text) { return NumberOf(text).value_or(0); }

// Elements as a PostgreSQL array literal, each quoted; nullopt is NULL.
std::string ArrayLiteral(const std::vector<std::optional<std::string>>& items) {
  std::string literal = "{";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) literal += ',';
    if (!items[i]) {
      literal += "NULL";
      continue;
    }
    literal += '"';
    for (const char c : *items[i]) {
      if (c == '"' || c == '\\') literal += '\\';
      literal += c;
    }
    literal += '"';
  }
  return literal + "}";
}

template <typename Field>
std::string ArrayOf(const std::vector<Measurement>& measurements, Field field) {
  std::vector<std::optional<std::string>> items;
  for (const Measurement& m : measurements) items.push_back(field(m));
  return ArrayLiteral(items);
}

std::optional<std::string> LimitParameter(const std::optional<double>& limit) {
  return limit ? std::optional(NumberText(*limit)) : std::nullopt;
}

bool HoldsPassword(const std::string& connection) {
  char* failed = nullptr;
  PQconninfoOption* options = PQconninfoParse(connection.c_str(), &failed);
  PQfreemem(failed);
  bool password = false;
  for (PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o)
    password |= std::string(o->keyword) == "password" && o->val != nullptr && *o->val != '\0';
  PQconninfoFree(options);
  return password;
}

constexpr const char* kInsertStation =
    "INSERT INTO grelt_line.stations (name, host) VALUES ($1, $2) ON CONFLICT DO NOTHING";

constexpr const char* kInsertRun =
    "INSERT INTO grelt_line.runs (run_id, station_id, recorded_at, worker, model, serial, "
    "firmware, function_number, title, result, last_error) "
    "SELECT $1::uuid, station_id, $4::timestamp, $5, $6, $7, $8, $9::integer, $10, $11, "
    "$12::integer FROM grelt_line.stations WHERE name = $2 AND host = $3 "
    "ON CONFLICT (run_id) DO NOTHING RETURNING run_id";

constexpr const char* kInsertDetails =
    "WITH shown AS (INSERT INTO grelt_line.messages (run_id, position, text) "
    "SELECT $1::uuid, position, text FROM unnest($2::text[]) WITH ORDINALITY AS m(text, position)) "
    "INSERT INTO grelt_line.measurements (run_id, position, name, value, unit, low, high, verdict) "
    "SELECT $1::uuid, position, name, value, unit, low, high, verdict FROM unnest($3::text[], "
    "$4::float8[], $5::text[], $6::float8[], $7::float8[], $8::text[]) WITH ORDINALITY "
    "AS m(name, value, unit, low, high, verdict, position)";

constexpr const char* kHistoryRuns =
    "SELECT r.run_id, to_char(r.recorded_at, 'YYYY-MM-DD HH24:MI:SS'), s.name, s.host, r.worker, "
    "r.model, r.serial, r.firmware, r.function_number, r.title, r.result, r.last_error "
    "FROM grelt_line.runs r JOIN grelt_line.stations s USING (station_id) WHERE r.serial = $1 "
    "ORDER BY r.recorded_at DESC, r.received_at DESC";

constexpr const char* kHistoryMessages =
    "SELECT m.run_id, m.text FROM grelt_line.messages m JOIN grelt_line.runs r USING (run_id) "
    "WHERE r.serial = $1 ORDER BY m.run_id, m.position";

constexpr const char* kHistoryMeasurements =
    "SELECT m.run_id, m.name, m.value, m.unit, m.low, m.high, m.verdict "
    "FROM grelt_line.measurements m JOIN grelt_line.runs r USING (run_id) "
    "WHERE r.serial = $1 ORDER BY m.run_id, m.position";

}  // namespace

void LineDatabase::ResultFree::operator()(pg_result* result) const { PQclear(result); }

std::unique_ptr<LineDatabase> LineDatabase::Connect(const std::string& connection,
                                                    const LineTimeouts& timeouts,
                                                    std::string* error) {
  if (HoldsPassword(connection)) {
    if (error)
      *error =
          "The line database's connection string holds a password; keep it in libpq's "
          "password file (~/.pgpass) instead.";
    return nullptr;
  }
  // The connection string comes last, so that a time-out it names is the one that holds.
  const std::string seconds = std::to_string(timeouts.connectSeconds);
  const char* keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
  const char* values[] = {seconds.c_str(), "grelt02", connection.c_str(), nullptr};
  PGconn* opened = PQconnectdbParams(keywords, values, 1);
  if (PQstatus(opened) != CONNECTION_OK) {
    if (error) *error = "The line database cannot be reached: " + Trimmed(PQerrorMessage(opened));
    PQfinish(opened);
    return nullptr;
  }
  // The server's notices ("already exists, skipping") are no news to anyone at a station.
  PQsetNoticeProcessor(
      opened, [](void*, const char*) {}, nullptr);
  return std::unique_ptr<LineDatabase>(new LineDatabase(opened, timeouts));
}

std::unique_ptr<LineDatabase> LineDatabase::Open(const std::string& connection,
                                                 const LineTimeouts& timeouts, std::string* error) {
  auto database = Connect(connection, timeouts, error);
  if (!database) return nullptr;
  const int version = database->SchemaVersion(error);
  if (version < 0) return nullptr;
  if (version != LineSchemaVersion() && !database->Migrate(LineSchemaVersion(), error))
    return nullptr;
  return database;
}

LineDatabase::~LineDatabase() { PQfinish(connection_); }

bool LineDatabase::WaitForAnswer(std::string* error) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeouts_.answerMs);
  while (PQisBusy(connection_) != 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd socket{PQsocket(connection_), POLLIN, 0};
    const int ready = left.count() > 0 ? ::poll(&socket, 1, static_cast<int>(left.count())) : 0;
    if (ready == 0) {
      broken_ = true;
      if (error)
        *error = "The line database did not answer within " +
                 std::to_string(timeouts_.answerMs / 1000) + " seconds.";
      return false;
    }
    if ((ready < 0 && errno != EINTR) || PQconsumeInput(connection_) == 0) {
      broken_ = true;
      if (error)
        *error = "The line database's connection broke: " + Trimmed(PQerrorMessage(connection_));
      return false;
    }
  }
  return true;
}

LineDatabase::Result LineDatabase::Run(const std::string& sql,
                                       const std::vector<std::optional<std::string>>& parameters,
                                       std::string* error, std::string* state) {
  if (broken_) {
    if (error) *error = "The line database's connection broke.";
    return nullptr;
  }
  std::vector<const char*> values;
  for (const auto& parameter : parameters)
    values.push_back(parameter ? parameter->c_str() : nullptr);
  // Without parameters, as a simple query: it may hold several statements.
  const int sent =
      values.empty() ? PQsendQuery(connection_, sql.c_str())
                     : PQsendQueryParams(connection_, sql.c_str(), static_cast<int>(values.size()),
                                         nullptr, values.data(), nullptr, nullptr, 0);
  if (sent == 0) {
    broken_ = true;
    if (error)
      *error = "The line database's connection broke: " + Trimmed(PQerrorMessage(connection_));
    return nullptr;
  }
  Result last;
  for (;;) {
    if (!WaitForAnswer(error)) return nullptr;
    Result next(PQgetResult(connection_));
    if (!next) break;
    last = std::move(next);
  }
  const ExecStatusType status = last ? PQresultStatus(last.get()) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return last;
  if (state) *state = last ? Trimmed(PQresultErrorField(last.get(), PG_DIAG_SQLSTATE)) : "";
  if (error)
    *error = "The line database refused: " +
             Trimmed(last ? PQresultErrorMessage(last.get()) : PQerrorMessage(connection_));
  return nullptr;
}

bool LineDatabase::Execute(const std::string& sql, std::string* error) {
  return Run(sql, {}, error) != nullptr;
}

bool LineDatabase::InsertDetails(const ServiceRecordEntry& e, std::string* error,
                                 std::string* state) {
  std::vector<std::optional<std::string>> messages(e.messages.begin(), e.messages.end());
  const auto& m = e.measurements;
  return Run(kInsertDetails,
             {e.runId, ArrayLiteral(messages),
              ArrayOf(m, [](const Measurement& x) { return std::optional(x.name); }),
              ArrayOf(m, [](const Measurement& x) { return std::optional(NumberText(x.value)); }),
              ArrayOf(m, [](const Measurement& x) { return std::optional(x.unit); }),
              ArrayOf(m, [](const Measurement& x) { return LimitParameter(x.low); }),
              ArrayOf(m, [](const Measurement& x) { return LimitParameter(x.high); }),
              ArrayOf(m, [](const Measurement& x) { return std::optional(x.verdict); })},
             error, state) != nullptr;
}

bool LineDatabase::Insert(const ServiceRecordEntry& e, std::string* error, bool* refused) {
  std::string state;
  const auto fail = [&] {
    // Data the database will never take (class 22) or a constraint the run breaks (23) is the
    // run's fault; anything else is the database's, and the run can wait for it.
    if (refused) *refused = state.starts_with("22") || state.starts_with("23");
    if (!broken_) Execute("ROLLBACK", nullptr);
    return false;
  };
  if (!Execute("BEGIN", error) || !Run(kInsertStation, {e.station, e.host}, error, &state))
    return fail();
  const Result run =
      Run(kInsertRun,
          {e.runId, e.station, e.host, e.time, e.worker, e.model, e.serial, e.firmware,
           std::to_string(e.functionNumber), e.title, e.result, std::to_string(e.lastError)},
          error, &state);
  if (!run) return fail();
  // No row back: the database held the run already, with everything that came with it.
  if (PQntuples(run.get()) == 1 && !InsertDetails(e, error, &state)) return fail();
  return Execute("COMMIT", error) || fail();
}

std::optional<std::vector<ServiceRecordEntry>> LineDatabase::History(const std::string& serial,
                                                                     std::string* error) {
  const Result runs = Run(kHistoryRuns, {serial}, error);
  const Result messages = runs ? Run(kHistoryMessages, {serial}, error) : nullptr;
  const Result measured = messages ? Run(kHistoryMeasurements, {serial}, error) : nullptr;
  if (!measured) return std::nullopt;
  std::vector<ServiceRecordEntry> entries;
  std::map<std::string, std::size_t> byId;
  const auto text = [](const Result& r, int row, int column) {
    return std::string(PQgetvalue(r.get(), row, column));
  };
  for (int row = 0; row < PQntuples(runs.get()); ++row) {
    ServiceRecordEntry e;
    e.runId = text(runs, row, 0);
    e.time = text(runs, row, 1);
    e.station = text(runs, row, 2);
    e.host = text(runs, row, 3);
    e.worker = text(runs, row, 4);
    e.model = text(runs, row, 5);
    e.serial = text(runs, row, 6);
    e.firmware = text(runs, row, 7);
    e.functionNumber = std::atoi(PQgetvalue(runs.get(), row, 8));
    e.title = text(runs, row, 9);
    e.result = text(runs, row, 10);
    e.lastError = std::atoi(PQgetvalue(runs.get(), row, 11));
    byId[e.runId] = entries.size();
    entries.push_back(std::move(e));
  }
  // A run another station stored between the queries has no row here; its details are left out.
  const auto run = [&](const std::string& id) {
    const auto found = byId.find(id);
    return found == byId.end() ? nullptr : &entries[found->second];
  };
  for (int row = 0; row < PQntuples(messages.get()); ++row)
    if (ServiceRecordEntry* e = run(text(messages, row, 0)))
      e->messages.push_back(text(messages, row, 1));
  const auto limit = [&](int row, int column) {
    return PQgetisnull(measured.get(), row, column) != 0
               ? std::nullopt
               : std::optional(NumberIn(PQgetvalue(measured.get(), row, column)));
  };
  for (int row = 0; row < PQntuples(measured.get()); ++row)
    if (ServiceRecordEntry* e = run(text(measured, row, 0)))
      e->measurements.push_back(
          {text(measured, row, 1), NumberIn(PQgetvalue(measured.get(), row, 2)),
           text(measured, row, 3), limit(row, 4), limit(row, 5), text(measured, row, 6)});
  return entries;
}

}  // namespace record
