#pragma once
// The local service record: one CSV row for every run on a printer (operations, backups and
// restores, firmware updates, file prints), in a file per serial number and month in the CSV
// folder, "<serial>_<yyyy>-<mm>.csv", and the run's measurements beside it in
// "<serial>_<yyyy>-<mm>_measurements.csv", joined to the rows by the run id. Rows go in whole
// (platform/csv.h); reading gives a printer's rows of every month, newest first.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/csv.h"
#include "record/run_entry.h"

namespace record {

// A time of day as the record writes it, in local time: "2026-12-08 14:03:59".
std::string RecordTime(std::int64_t unixSeconds);

// The record's header row, and an entry as a row of it.
platform::CsvRecord ServiceRecordColumns();
platform::CsvRecord ServiceRecordRow(const ServiceRecordEntry& entry);
// The entry of a row of the record's columns (or of the shorter ones before run ids), or nothing.
std::optional<ServiceRecordEntry> ServiceRecordEntryOf(const platform::CsvRecord& row);

// The measurements file's header row, and a measurement of a run as a row of it.
platform::CsvRecord MeasurementColumns();
platform::CsvRecord MeasurementRow(const std::string& runId, const Measurement& measurement);
// The run id and measurement of a row of the measurements file, or nothing.
std::optional<std::pair<std::string, Measurement>> MeasurementOf(const platform::CsvRecord& row);

// The file of a serial number's month, and its measurements file.
std::string ServiceRecordFile(const std::string& csvFolder, const std::string& serial,
                              const std::string& time);
std::string MeasurementsFile(const std::string& csvFolder, const std::string& serial,
                             const std::string& time);

// The chart of a measurement beside it: "<serial>_<yyyy-mm-dd>_<hhmmss>_<function>.png".
std::string ServiceRecordChart(const std::string& csvFolder, const std::string& serial,
                               const std::string& time, int functionNumber);

// Appends the entry's measurements and then its row to its printer's files of the month; false,
// with the reason, when they are not in the files whole (the rows before stay as they were). A
// file of the month written before run ids is first rewritten with the new columns.
bool AppendServiceRecord(const std::string& csvFolder, const ServiceRecordEntry& entry,
                         std::string* error);

// The rows of one printer ("" for every printer), newest first, each with its measurements.
std::vector<ServiceRecordEntry> ReadServiceRecord(const std::string& csvFolder,
                                                  const std::string& serial);

}  // namespace record
