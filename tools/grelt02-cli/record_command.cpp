// grelt02-cli record: the service record of one printer, or of every printer, newest first; and
// the line database's side of it: sync, status and setup-database.

#include <iostream>
#include <memory>

#include "commands.h"
#include "platform/clock.h"
#include "platform/csv.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "record/history_report.h"
#include "record/line_sender.h"
#include "record/local_record.h"
#include "record/printer_history.h"
#include "settings/app_settings.h"

namespace cli {
namespace {

Json LimitToJson(const std::optional<double>& limit) { return limit ? Json(*limit) : Json(); }

Json EntryToJson(const record::ServiceRecordEntry& e) {
  Json measurements = Json::array();
  for (const record::Measurement& m : e.measurements)
    measurements.push_back({{"name", m.name},
                            {"value", m.value},
                            {"unit", m.unit},
                            {"low", LimitToJson(m.low)},
                            {"high", LimitToJson(m.high)},
                            {"verdict", m.verdict}});
  return {{"runId", e.runId.empty() ? Json() : Json(e.runId)},
          {"time", e.time},
          {"station", e.station},
          {"host", e.host},
          {"worker", e.worker},
          {"model", e.model},
          {"serial", e.serial},
          {"firmware", e.firmware},
          {"function", e.functionNumber},
          {"title", e.title},
          {"result", e.result},
          {"lastError", e.lastError},
          {"messages", e.messages},
          {"measurements", measurements}};
}

// The rows as CSV, as the record's files hold them, a header first.
void PrintCsv(const std::vector<record::ServiceRecordEntry>& entries) {
  std::cout << platform::FormatCsvRecord(record::ServiceRecordColumns());
  for (const auto& entry : entries)
    std::cout << platform::FormatCsvRecord(record::ServiceRecordRow(entry));
}

struct RecordFolder {
  settings::AppSettings settings;
  std::string csv;
};

RecordFolder OpenRecordFolder() {
  const std::string program = platform::GetProgramFolder();
  settings::AppSettings settings = settings::LoadSettings(program);
  const std::string csv = platform::CsvFolder(program, settings.strProfile);
  return {std::move(settings), csv};
}

Json StatusToJson(const record::Outbox& outbox, const std::string& lineDatabase) {
  const auto lastError = outbox.LastError();
  return {{"lineDatabase", lineDatabase.empty() ? Json() : Json(lineDatabase)},
          {"waiting", outbox.Waiting().size()},
          {"lastError", lastError ? Json(*lastError) : Json()}};
}

void AddSyncCommand(CLI::App& parent, CommandContext& context) {
  CLI::App* sync = parent.add_subcommand(
      "sync", "Send the runs waiting for the line database now; the status afterwards");
  sync->callback([&context] {
    context.run = [&context] {
      const RecordFolder folder = OpenRecordFolder();
      const std::string& line = folder.settings.strLineDatabase;
      if (line.empty())
        throw std::runtime_error("GRELT02.INI names no line database (strLineDatabase)");
      const record::Outbox outbox(folder.csv);
      const record::SendReport report = record::SendWaitingRuns(outbox, line, {}, true);
      Json status = StatusToJson(outbox, line);
      status["sent"] = report.sent;
      Print(status);
      context.exitCode = report.waiting == 0 ? 0 : 1;
    };
  });
}

void AddStatusCommand(CLI::App& parent, CommandContext& context) {
  CLI::App* status = parent.add_subcommand(
      "status", "How many runs wait for the line database, and why the last sending failed");
  status->callback([&context] {
    context.run = [] {
      const RecordFolder folder = OpenRecordFolder();
      Print(StatusToJson(record::Outbox(folder.csv), folder.settings.strLineDatabase));
    };
  });
}

void AddSetupCommand(CLI::App& parent, CommandContext& context) {
  CLI::App* setup = parent.add_subcommand(
      "setup-database",
      "Make or upgrade the line database's schema and roles, connected as its administrator");
  const auto options = std::make_shared<std::pair<std::string, std::string>>();
  setup->add_option("--admin", options->first,
                    "The administrator's connection string (default: strLineDatabase)");
  setup
      ->add_option("--station-login", options->second,
                   "Also make this login role a station (grelt_station)")
      ->check([](const std::string& name) {
        return record::IsStationLogin(name) ? "" : "lower-case letters, digits and '_'";
      });
  setup->callback([&context, options] {
    context.run = [options] {
      const std::string admin =
          options->first.empty() ? OpenRecordFolder().settings.strLineDatabase : options->first;
      if (admin.empty())
        throw std::runtime_error("no connection: give --admin or set strLineDatabase");
      std::string error;
      const auto database = record::LineDatabase::Connect(admin, {}, &error);
      if (!database || !record::SetUpLineDatabase(*database, options->second, &error))
        throw std::runtime_error(error);
      Print({{"schemaVersion", database->SchemaVersion(nullptr)},
             {"stationLogin", options->second.empty() ? Json() : Json(options->second)}});
    };
  });
}

}  // namespace

void AddReportCommand(CLI::App& app, CommandContext& context) {
  CLI::App* report = app.add_subcommand(
      "report",
      "One printer's history as a self-contained HTML page: its runs across stations "
      "and a chart of each measured quantity against its limits");
  const auto options = std::make_shared<std::pair<std::string, std::string>>();
  report->add_option("--serial", options->first, "The printer's serial number")->required();
  report->add_option("-o,--output", options->second, "The HTML file to write")->required();
  report->callback([&context, options] {
    context.run = [options] {
      const RecordFolder folder = OpenRecordFolder();
      const auto& [serial, output] = *options;
      const record::PrinterHistory history =
          record::ReadPrinterHistory(folder.csv, folder.settings.strLineDatabase, serial);
      const std::string page = record::HistoryReport(
          serial, history, record::RecordTime(platform::DefaultClock().UnixSeconds()));
      if (!platform::ReplaceFile(output, page)) throw std::runtime_error("cannot write " + output);
      std::size_t measured = 0;
      for (const auto& run : history.runs) measured += run.measurements.size();
      Print({{"file", output},
             {"runs", history.runs.size()},
             {"measurements", measured},
             {"lineDatabase", !folder.settings.strLineDatabase.empty() && !history.databaseError},
             {"warning", history.databaseError ? Json(*history.databaseError) : Json()}});
    };
  });
}

void AddRecordCommand(CLI::App& app, CommandContext& context) {
  CLI::App* command = app.add_subcommand(
      "record",
      "The service record: every run on a printer, newest first (JSON, or --csv); with a line "
      "database and --serial, the printer's runs from every station");
  struct Options {
    std::string serial;
    bool serialGiven = false;
    bool csv = false;
    bool json = true;
  };
  const auto options = std::make_shared<Options>();
  CLI::Option* serial =
      command->add_option("--serial", options->serial, "Only the printer with this serial number");
  CLI::Option* csv = command->add_flag("--csv", options->csv, "As CSV (RFC 4180) instead of JSON");
  command->add_flag("--json", options->json, "As JSON (the default)")->excludes(csv);
  AddSyncCommand(*command, context);
  AddStatusCommand(*command, context);
  AddSetupCommand(*command, context);
  command->callback([&context, options, command, serial] {
    if (!command->get_subcommands().empty()) return;
    options->serialGiven = serial->count() > 0;
    context.run = [options] {
      const RecordFolder folder = OpenRecordFolder();
      std::vector<record::ServiceRecordEntry> entries;
      if (options->serialGiven) {
        record::PrinterHistory history = record::ReadPrinterHistory(
            folder.csv, folder.settings.strLineDatabase, options->serial);
        if (history.databaseError)
          std::cerr << "grelt02-cli: this station's record only: " << *history.databaseError
                    << '\n';
        entries = std::move(history.runs);
      } else {
        entries = record::ReadServiceRecord(folder.csv, "");
      }
      if (options->csv) {
        PrintCsv(entries);
        return;
      }
      Json rows = Json::array();
      for (const auto& entry : entries) rows.push_back(EntryToJson(entry));
      Print(rows);
    };
  });
}

}  // namespace cli
