// grelt02-cli record: the service record of one printer, or of every printer, newest first.

#include <iostream>
#include <memory>

#include "commands.h"
#include "operations/service_record.h"
#include "platform/csv.h"
#include "platform/paths.h"
#include "settings/app_settings.h"

namespace cli {
namespace {

Json EntryToJson(const operations::ServiceRecordEntry& e) {
  return {{"time", e.time},
          {"station", e.station},
          {"worker", e.worker},
          {"model", e.model},
          {"serial", e.serial},
          {"firmware", e.firmware},
          {"function", e.functionNumber},
          {"title", e.title},
          {"result", e.result},
          {"lastError", e.lastError},
          {"messages", e.messages}};
}

// The rows as CSV, as the record's files hold them, a header first.
void PrintCsv(const std::vector<operations::ServiceRecordEntry>& entries) {
  std::cout << platform::FormatCsvRecord(operations::ServiceRecordColumns());
  for (const auto& entry : entries)
    std::cout << platform::FormatCsvRecord(operations::ServiceRecordRow(entry));
}

}  // namespace

void AddRecordCommand(CLI::App& app, CommandContext& context) {
  CLI::App* record = app.add_subcommand(
      "record", "The service record: every run on a printer, newest first (JSON, or --csv)");
  struct Options {
    std::string serial;
    bool csv = false;
    bool json = true;
  };
  const auto options = std::make_shared<Options>();
  record->add_option("--serial", options->serial, "Only the printer with this serial number");
  CLI::Option* csv = record->add_flag("--csv", options->csv, "As CSV (RFC 4180) instead of JSON");
  record->add_flag("--json", options->json, "As JSON (the default)")->excludes(csv);
  record->callback([&context, options] {
    context.run = [options] {
      const std::string program = platform::GetProgramFolder();
      const auto entries = operations::ReadServiceRecord(
          platform::CsvFolder(program, settings::LoadSettings(program).strProfile),
          options->serial);
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
