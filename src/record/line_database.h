#pragma once
// The production line's database (PostgreSQL, through libpq): every station's runs, their
// messages and measurements, keyed by run id, in the schema "grelt_line". A connection is opened
// for one round of work and bounded in time: a few seconds to connect, a few to each answer, so a
// database that is away never holds a station up for longer.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/run_entry.h"

struct pg_conn;
struct pg_result;

namespace record {

// The newest schema this program makes and works with.
int LineSchemaVersion();

struct LineTimeouts {
  int connectSeconds = 3;  // libpq's connect_timeout (it takes no less than 2)
  int answerMs = 5000;     // for each statement's answer
};

class LineDatabase {
public:
  // Connects and brings the schema to this program's version (making it where there is none);
  // nothing, with the reason in *error, when the database cannot be had, the connection string
  // holds a password, the schema cannot be made or upgraded, or it is newer than this program's.
  static std::unique_ptr<LineDatabase> Open(const std::string& connection,
                                            const LineTimeouts& timeouts, std::string* error);
  // Connects and leaves the schema as it is.
  static std::unique_ptr<LineDatabase> Connect(const std::string& connection,
                                               const LineTimeouts& timeouts, std::string* error);
  ~LineDatabase();
  LineDatabase(const LineDatabase&) = delete;
  LineDatabase& operator=(const LineDatabase&) = delete;

  // Stores the run with its station, messages and measurements in one transaction; a run the
  // database already holds is left as it was (true). False, with the reason, when the database
  // did not take it; *refused is set when it refused the run itself rather than failed.
  bool Insert(const ServiceRecordEntry& entry, std::string* error, bool* refused = nullptr);

  // A printer's runs from every station, newest first, with their messages and measurements.
  std::optional<std::vector<ServiceRecordEntry>> History(const std::string& serial,
                                                         std::string* error);

  // The schema's version: 0 where there is none yet, -1 (with the reason) when it cannot be read.
  int SchemaVersion(std::string* error);
  // Brings the schema up to `version` in one transaction, one migration after the other; other
  // stations that upgrade at the same time wait for it. False, with the reason, when it fails or
  // the schema is newer than this program's.
  bool Migrate(int version, std::string* error);

  // Runs SQL statements with no parameters (setting up, tests); false with the reason.
  bool Execute(const std::string& sql, std::string* error);

private:
  struct ResultFree {
    void operator()(pg_result* result) const;
  };
  using Result = std::unique_ptr<pg_result, ResultFree>;

  LineDatabase(pg_conn* connection, const LineTimeouts& timeouts)
      : connection_(connection), timeouts_(timeouts) {}

  // One statement with its parameters (nullopt: NULL); its answer or nothing, with the reason.
  Result Run(const std::string& sql, const std::vector<std::optional<std::string>>& parameters,
             std::string* error, std::string* state = nullptr);
  bool InsertDetails(const ServiceRecordEntry& entry, std::string* error, std::string* state);
  bool WaitForAnswer(std::string* error);

  pg_conn* connection_;
  LineTimeouts timeouts_;
  bool broken_ = false;  // an answer never came; the connection is no longer in step
};

// Whether the name can be a station's login role: lower-case letters, digits and '_', not
// beginning with a digit, at most 63 characters.
bool IsStationLogin(const std::string& name);

// Sets up the line database over an administrator's connection (a superuser, or a role that may
// make roles and schemas): the role grelt_line_owner that owns the schema and its tables, the
// role grelt_station that may read and add runs but never change or delete one, the schema at
// this program's version, and, when named, a station login in grelt_station. Safe to run again,
// and the way to upgrade the schema once stations connect as grelt_station.
bool SetUpLineDatabase(LineDatabase& admin, const std::string& stationLogin, std::string* error);

}  // namespace record
