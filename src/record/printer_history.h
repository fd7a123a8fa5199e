#pragma once
// One printer's history: with a line database, its runs from every station; always, the runs this
// station recorded, so that a run still waiting for the database, or one recorded before run ids,
// is not missing from it.

#include <optional>
#include <string>
#include <vector>

#include "record/line_database.h"
#include "record/run_entry.h"

namespace record {

struct PrinterHistory {
  std::vector<ServiceRecordEntry> runs;  // newest first
  // Why the line database's runs are missing, when it names one that could not be read.
  std::optional<std::string> databaseError;
};

// The printer's runs in the local record of the CSV folder and, when `lineDatabase` names one, in
// the line database: each run once, newest first.
PrinterHistory ReadPrinterHistory(const std::string& csvFolder, const std::string& lineDatabase,
                                  const std::string& serial,
                                  const LineTimeouts& timeouts = LineTimeouts{});

}  // namespace record
