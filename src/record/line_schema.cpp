// The line database's schema: numbered migrations, each run once, in order, in the transaction
// that moves the version in grelt_line.schema_version on; and the roles that set it up.

#include <libpq-fe.h>

#include <array>
#include <cctype>
#include <cstdlib>

#include "record/line_database.h"

namespace record {
namespace {

// Migration n brings the schema from version n - 1 to n. Never change one that has shipped:
// add the next.
constexpr std::array<const char*, 2> kMigrations = {
    // 1: stations, their runs, and each run's messages and measurements.
    "CREATE TABLE grelt_line.stations ("
    " station_id bigserial PRIMARY KEY,"
    " name text NOT NULL,"  // belt, PC and jig numbers, "L3-07-J12"
    " host text NOT NULL,"
    " UNIQUE (name, host));"
    "CREATE TABLE grelt_line.runs ("
    " run_id uuid PRIMARY KEY,"
    " station_id bigint NOT NULL REFERENCES grelt_line.stations,"
    " recorded_at timestamp NOT NULL,"  // the station's local time
    " worker text NOT NULL, model text NOT NULL, serial text NOT NULL, firmware text NOT NULL,"
    " function_number integer NOT NULL, title text NOT NULL,"
    " result text NOT NULL CHECK (result IN ('done', 'failed', 'cancelled')),"
    " last_error integer NOT NULL,"
    " received_at timestamptz NOT NULL DEFAULT now());"
    "CREATE TABLE grelt_line.messages ("
    " run_id uuid NOT NULL REFERENCES grelt_line.runs,"
    " position integer NOT NULL, text text NOT NULL,"
    " PRIMARY KEY (run_id, position));"
    "CREATE TABLE grelt_line.measurements ("
    " run_id uuid NOT NULL REFERENCES grelt_line.runs,"
    " position integer NOT NULL, name text NOT NULL, value double precision NOT NULL,"
    " unit text NOT NULL, low double precision, high double precision,"
    " verdict text NOT NULL CHECK (verdict IN ('pass', 'fail')),"
    " PRIMARY KEY (run_id, position));",
    // 2: a printer's history is read by its serial number, newest first.
    "CREATE INDEX runs_by_printer ON grelt_line.runs (serial, recorded_at DESC);",
};

// Held by the transaction that migrates, so that stations starting together upgrade once.
constexpr const char* kMigrationLock = "SELECT pg_advisory_xact_lock(7159020330)";

constexpr const char* kBootstrap =
    "CREATE TABLE IF NOT EXISTS grelt_line.schema_version ("
    " one_row boolean PRIMARY KEY DEFAULT true CHECK (one_row), version integer NOT NULL);"
    "INSERT INTO grelt_line.schema_version (version) VALUES (0) ON CONFLICT DO NOTHING;";

std::string Newer(int version) {
  return "The line database's schema is version " + std::to_string(version) +
         ", newer than this program knows (" + std::to_string(LineSchemaVersion()) +
         "): update the program on this station. Its runs wait here until then.";
}

// The roles the record's tables belong to and that stations connect in.
constexpr const char* kRoles =
    "DO $$BEGIN"
    " IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'grelt_line_owner') THEN"
    "  CREATE ROLE grelt_line_owner NOLOGIN; END IF;"
    " IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'grelt_station') THEN"
    "  CREATE ROLE grelt_station NOLOGIN; END IF;"
    "END$$;"
    "GRANT grelt_line_owner TO CURRENT_USER;"
    "CREATE SCHEMA IF NOT EXISTS grelt_line AUTHORIZATION grelt_line_owner;"
    "GRANT USAGE ON SCHEMA grelt_line TO grelt_station;"
    "ALTER DEFAULT PRIVILEGES FOR ROLE grelt_line_owner IN SCHEMA grelt_line"
    " GRANT SELECT, INSERT ON TABLES TO grelt_station;"
    "ALTER DEFAULT PRIVILEGES FOR ROLE grelt_line_owner IN SCHEMA grelt_line"
    " GRANT USAGE ON SEQUENCES TO grelt_station;";

// Tables made before the roles (by a program connected as their owner) are granted too; the
// schema's version is the owner's alone.
constexpr const char* kGrants =
    "GRANT SELECT, INSERT ON ALL TABLES IN SCHEMA grelt_line TO grelt_station;"
    "GRANT USAGE ON ALL SEQUENCES IN SCHEMA grelt_line TO grelt_station;"
    "REVOKE INSERT ON grelt_line.schema_version FROM grelt_station;";

}  // namespace

int LineSchemaVersion() { return static_cast<int>(kMigrations.size()); }

int LineDatabase::SchemaVersion(std::string* error) {
  std::string state;
  const Result result = Run("SELECT version FROM grelt_line.schema_version", {}, error, &state);
  if (result) return PQntuples(result.get()) == 1 ? std::atoi(PQgetvalue(result.get(), 0, 0)) : 0;
  // No schema (3F000) or no version table (42P01) yet: nothing has been made.
  return state == "3F000" || state == "42P01" ? 0 : -1;
}

bool LineDatabase::Migrate(int version, std::string* error) {
  std::string reason;
  const auto fail = [&](std::string why) {
    if (!broken_) Execute("ROLLBACK", nullptr);
    if (error) *error = "The line database's schema could not be made or upgraded: " + why;
    return false;
  };
  const Result schema =
      Execute("BEGIN", &reason) && Execute(kMigrationLock, &reason)
          ? Run("SELECT 1 FROM pg_namespace WHERE nspname = 'grelt_line'", {}, &reason)
          : nullptr;
  if (!schema) return fail(reason);
  // Only made where it is missing: asking for it again needs a right to make schemas that the
  // owner of an existing one need not have.
  if (PQntuples(schema.get()) == 0 && !Execute("CREATE SCHEMA grelt_line", &reason))
    return fail(reason);
  if (!Execute(kBootstrap, &reason)) return fail(reason);
  const int current = SchemaVersion(&reason);
  if (current < 0) return fail(reason);
  if (current > LineSchemaVersion()) {
    Execute("ROLLBACK", nullptr);
    if (error) *error = Newer(current);
    return false;
  }
  for (int next = current + 1; next <= version; ++next) {
    if (!Execute(kMigrations[static_cast<std::size_t>(next - 1)], &reason) ||
        !Execute("UPDATE grelt_line.schema_version SET version = " + std::to_string(next), &reason))
      return fail(reason);
  }
  return Execute("COMMIT", &reason) || fail(reason);
}

bool IsStationLogin(const std::string& name) {
  if (name.empty() || name.size() > 63 || std::isdigit(static_cast<unsigned char>(name[0])) != 0)
    return false;
  for (const char c : name)
    if (!(std::islower(static_cast<unsigned char>(c)) != 0 ||
          std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '_'))
      return false;
  return true;
}

bool SetUpLineDatabase(LineDatabase& admin, const std::string& stationLogin, std::string* error) {
  if (!stationLogin.empty() && !IsStationLogin(stationLogin)) {
    if (error) *error = "A station login is lower-case letters, digits and '_': " + stationLogin;
    return false;
  }
  if (!admin.Execute(kRoles, error) || !admin.Execute("SET ROLE grelt_line_owner", error) ||
      !admin.Migrate(LineSchemaVersion(), error) || !admin.Execute("RESET ROLE", error) ||
      !admin.Execute(kGrants, error))
    return false;
  if (stationLogin.empty()) return true;
  return admin.Execute("DO $$BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '" +
                           stationLogin + "') THEN CREATE ROLE " + stationLogin +
                           " LOGIN; END IF; END$$;" + "GRANT grelt_station TO " + stationLogin,
                       error);
}

}  // namespace record
