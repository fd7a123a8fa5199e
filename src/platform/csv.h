#pragma once
// CSV files as RFC 4180 writes them: records of fields, each record ended by CR LF; a field that
// holds a comma, a quote, a CR or an LF is quoted, its quotes doubled. Records are appended one
// whole write at a time, so a file only ever ends with complete records or one cut short, and a
// record cut short (a crash, a full disk) is neither read nor built upon.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using CsvRecord = std::vector<std::string>;

// One record with its closing CR LF.
std::string FormatCsvRecord(const CsvRecord& fields);

struct CsvText {
  std::vector<CsvRecord> records;  // the complete ones, in order
  std::size_t completeLength = 0;  // where the complete records end (and a cut one begins)
};
// Reads every complete record. A bare LF ends a record too, as other writers end them; a last
// record without its line break is not complete.
CsvText ParseCsv(std::string_view text);

// Appends one record to the file (made with `header` first when new or empty), holding the file's
// lock, so that appends from several processes go in one after the other. A record cut short
// at the file's end is cut away first; a write that fails half-way is taken back. False, with
// the reason in *error, when the record is not in the file whole.
bool AppendCsvRecord(const std::string& path, const CsvRecord& header, const CsvRecord& fields,
                     std::string* error);
// The same for records that belong together: all of them go in, with one write, or none.
bool AppendCsvRecords(const std::string& path, const CsvRecord& header,
                      std::span<const CsvRecord> records, std::string* error);

// A file whose first record is `oldHeader` is rewritten whole (platform::ReplaceFile) with
// `newHeader` and each shorter record filled up with empty fields; any other file, or none, is
// left as it is. Appends wait for it. False, with the reason, when the file could not be rewritten.
bool UpgradeCsvHeader(const std::string& path, const CsvRecord& oldHeader,
                      const CsvRecord& newHeader, std::string* error);

}  // namespace platform
