#include "record/printer_history.h"

#include <algorithm>
#include <set>

#include "record/local_record.h"

namespace record {

PrinterHistory ReadPrinterHistory(const std::string& csvFolder, const std::string& lineDatabase,
                                  const std::string& serial, const LineTimeouts& timeouts) {
  PrinterHistory history;
  std::vector<ServiceRecordEntry> local = ReadServiceRecord(csvFolder, serial);
  std::erase_if(local, [&](const ServiceRecordEntry& run) { return run.serial != serial; });
  if (lineDatabase.empty()) {
    history.runs = std::move(local);
    return history;
  }
  std::string error;
  std::optional<std::vector<ServiceRecordEntry>> line;
  if (const auto database = LineDatabase::Open(lineDatabase, timeouts, &error))
    line = database->History(serial, &error);
  if (!line) {
    history.databaseError = error;
    history.runs = std::move(local);
    return history;
  }
  std::set<std::string> held;
  for (const ServiceRecordEntry& run : *line) held.insert(run.runId);
  history.runs = std::move(*line);
  for (ServiceRecordEntry& run : local)
    if (run.runId.empty() || !held.contains(run.runId)) history.runs.push_back(std::move(run));
  std::stable_sort(history.runs.begin(), history.runs.end(),
                   [](const auto& a, const auto& b) { return a.time > b.time; });
  return history;
}

}  // namespace record
