#pragma once
// The service record: one CSV row for every run on a printer (operations, backups and restores,
// firmware updates, file prints), in a file per serial number and month in the CSV folder,
// "<serial>_<yyyy>-<mm>.csv". Rows go in whole (platform/csv.h); reading gives a printer's rows
// of every month, newest first.

#include <cstdint>
#include <string>
#include <vector>

#include "operations/service_environment.h"
#include "operations/service_record_entry.h"
#include "platform/csv.h"
#include "printer/printer_link.h"
#include "settings/app_settings.h"

namespace operations {

// The menu item whose page shows the attached printer's record.
inline constexpr int kServiceRecordItem = 90080;

// The time and the station and worker of the settings, as a new entry carries them.
ServiceRecordEntry NewRecordEntry(std::int64_t unixSeconds, const settings::AppSettings& settings);

// The record's header row, and an entry as a row of it.
platform::CsvRecord ServiceRecordColumns();
platform::CsvRecord ServiceRecordRow(const ServiceRecordEntry& entry);

// The file of a serial number's month.
std::string ServiceRecordFile(const std::string& csvFolder, const std::string& serial,
                              const std::string& time);

// The chart of a measurement beside it: "<serial>_<yyyy-mm-dd>_<hhmmss>_<function>.png".
std::string ServiceRecordChart(const std::string& csvFolder, const std::string& serial,
                               const std::string& time, int functionNumber);

// Appends the entry to its printer's file of the month; false, with the reason, when it is not
// in the file whole (the rows before it stay as they were).
bool AppendServiceRecord(const std::string& csvFolder, const ServiceRecordEntry& entry,
                         std::string* error);

// The rows of one printer ("" for every printer), newest first.
std::vector<ServiceRecordEntry> ReadServiceRecord(const std::string& csvFolder,
                                                  const std::string& serial);

// A run that has just ended, as the record names it.
struct RecordedRun {
  int functionNumber = 0;
  std::string title;
  std::string romVersion;  // the printer's firmware version, "" when it could not be read
  std::string serial;      // ReadRecordSerial's, "" when it could not be read
  bool succeeded = false;
  bool cancelled = false;  // the technician stopped it (other than by answering a question)
  int lastError = 0;       // the link's when the run ended
};

// Whether the settings keep the service record.
inline bool ServiceRecordOn(const ServiceEnvironment& env) {
  return env.settings.nServiceRecord == 1;
}

// The serial number for the record, read over the open link; "" when it cannot be read or holds
// other than letters and digits (a new board).
std::string ReadRecordSerial(printer::CPrinterLink& link);

// Appends the run's row, unless the settings switch the record off: the time, station and worker,
// the model, firmware and serial number, the result (done; cancelled when the technician stopped
// it, or it failed after an answer of Cancel or No; failed) and the messages shown since
// env.messages.Begin(). A row that cannot be written is told in a warning.
void RecordRun(const ServiceEnvironment& env, const RecordedRun& run);

}  // namespace operations
