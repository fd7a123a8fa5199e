#include "record/local_record.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace record {
namespace {

// The columns before run ids and host names; files of that time are still read, and are
// rewritten with the full columns when the next row goes into them.
const platform::CsvRecord kLegacyColumns = {"Time",   "Station",   "Worker",   "Model",
                                            "Serial", "Firmware",  "Function", "Title",
                                            "Result", "LastError", "Messages"};
const platform::CsvRecord kColumns = [] {
  platform::CsvRecord columns = kLegacyColumns;
  columns.insert(columns.end(), {"RunId", "Host"});
  return columns;
}();
const platform::CsvRecord kMeasurementColumns = {"RunId", "Name", "Value",  "Unit",
                                                 "Low",   "High", "Verdict"};
constexpr const char* kMeasurementsSuffix = "_measurements";

// A serial number as a file name takes it: letters, digits, '-' and '_'; anything else is '_'.
std::string FileSafe(const std::string& serial) {
  std::string safe;
  for (const char c : serial)
    safe += std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' ? c : '_';
  return safe.empty() ? "unknown" : safe;
}

// Messages one to a line; each line break of a message's own (CR LF, LF or CR) becomes a space.
std::string JoinMessages(const std::vector<std::string>& messages) {
  std::string joined;
  for (const std::string& message : messages) {
    if (!joined.empty()) joined += '\n';
    for (std::size_t i = 0; i < message.size(); ++i) {
      if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
      joined += message[i] == '\r' || message[i] == '\n' ? ' ' : message[i];
    }
  }
  return joined;
}

std::vector<std::string> SplitMessages(const std::string& joined) {
  std::vector<std::string> messages;
  std::size_t start = 0;
  while (start < joined.size()) {
    const std::size_t end = std::min(joined.find('\n', start), joined.size());
    messages.push_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return messages;
}

int ToInt(const std::string& text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string LimitText(const std::optional<double>& limit) {
  return limit ? NumberText(*limit) : "";
}

// Whether the file name is one of a printer's month files, "<serial>_<yyyy>-<mm>.csv" ("" for
// every printer's); its measurements file and the charts beside it are not.
bool IsRecordFile(const std::filesystem::path& path, const std::string& serial) {
  const std::string stem = path.stem().string();
  if (path.extension() != ".csv" || stem.size() < 9) return false;
  const std::string_view month = std::string_view(stem).substr(stem.size() - 8);
  for (std::size_t i = 0; i < month.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(month[i])) != 0;
    if (i == 0 ? month[i] != '_' : i == 5 ? month[i] != '-' : !digit) return false;
  }
  return serial.empty() || stem == FileSafe(serial) + std::string(month);
}

std::vector<platform::CsvRecord> ReadRecords(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  return platform::ParseCsv(text).records;
}

// The measurements of every run in a month file's measurements file, by run id.
std::map<std::string, std::vector<Measurement>> ReadMeasurements(
    const std::filesystem::path& path) {
  std::map<std::string, std::vector<Measurement>> byRun;
  const std::filesystem::path file =
      path.parent_path() / (path.stem().string() + kMeasurementsSuffix + ".csv");
  for (const platform::CsvRecord& row : ReadRecords(file))
    if (auto measured = MeasurementOf(row)) byRun[measured->first].push_back(measured->second);
  return byRun;
}

}  // namespace

std::string RecordTime(std::int64_t unixSeconds) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

platform::CsvRecord ServiceRecordColumns() { return kColumns; }

platform::CsvRecord ServiceRecordRow(const ServiceRecordEntry& e) {
  return {e.time,
          e.station,
          e.worker,
          e.model,
          e.serial,
          e.firmware,
          std::to_string(e.functionNumber),
          e.title,
          e.result,
          std::to_string(e.lastError),
          JoinMessages(e.messages),
          e.runId,
          e.host};
}

std::optional<ServiceRecordEntry> ServiceRecordEntryOf(const platform::CsvRecord& row) {
  if ((row.size() != kColumns.size() && row.size() != kLegacyColumns.size()) || row == kColumns ||
      row == kLegacyColumns)
    return std::nullopt;
  const bool full = row.size() == kColumns.size();
  ServiceRecordEntry entry;
  entry.runId = full ? row[11] : "";
  entry.time = row[0];
  entry.station = row[1];
  entry.host = full ? row[12] : "";
  entry.worker = row[2];
  entry.model = row[3];
  entry.serial = row[4];
  entry.firmware = row[5];
  entry.functionNumber = ToInt(row[6]);
  entry.title = row[7];
  entry.result = row[8];
  entry.lastError = ToInt(row[9]);
  entry.messages = SplitMessages(row[10]);
  return entry;
}

platform::CsvRecord MeasurementColumns() { return kMeasurementColumns; }

platform::CsvRecord MeasurementRow(const std::string& runId, const Measurement& m) {
  return {runId,    m.name, NumberText(m.value), m.unit, LimitText(m.low), LimitText(m.high),
          m.verdict};
}

std::optional<std::pair<std::string, Measurement>> MeasurementOf(const platform::CsvRecord& row) {
  if (row.size() != kMeasurementColumns.size() || row == kMeasurementColumns) return std::nullopt;
  const auto value = NumberOf(row[2]);
  if (!value) return std::nullopt;
  Measurement m{row[1], *value, row[3], NumberOf(row[4]), NumberOf(row[5]), row[6]};
  return std::pair{row[0], std::move(m)};
}

std::string ServiceRecordFile(const std::string& csvFolder, const std::string& serial,
                              const std::string& time) {
  return csvFolder + "/" + FileSafe(serial) + "_" + time.substr(0, 7) + ".csv";
}

std::string MeasurementsFile(const std::string& csvFolder, const std::string& serial,
                             const std::string& time) {
  return csvFolder + "/" + FileSafe(serial) + "_" + time.substr(0, 7) + kMeasurementsSuffix +
         ".csv";
}

std::string ServiceRecordChart(const std::string& csvFolder, const std::string& serial,
                               const std::string& time, int functionNumber) {
  std::string stamp;
  for (const char c : time)
    if (c != ':') stamp += c == ' ' ? '_' : c;
  return csvFolder + "/" + FileSafe(serial) + "_" + stamp + "_" + std::to_string(functionNumber) +
         ".png";
}

bool AppendServiceRecord(const std::string& csvFolder, const ServiceRecordEntry& entry,
                         std::string* error) {
  std::error_code ignored;
  std::filesystem::create_directories(csvFolder, ignored);
  // The measurements go first, all with one write: a run cut off between the two files leaves
  // measurements that no row claims, never a row whose measurements were lost.
  std::vector<platform::CsvRecord> measured;
  for (const Measurement& m : entry.measurements)
    measured.push_back(MeasurementRow(entry.runId, m));
  if (!measured.empty() &&
      !platform::AppendCsvRecords(MeasurementsFile(csvFolder, entry.serial, entry.time),
                                  kMeasurementColumns, measured, error))
    return false;
  const std::string file = ServiceRecordFile(csvFolder, entry.serial, entry.time);
  return platform::UpgradeCsvHeader(file, kLegacyColumns, kColumns, error) &&
         platform::AppendCsvRecord(file, kColumns, ServiceRecordRow(entry), error);
}

std::vector<ServiceRecordEntry> ReadServiceRecord(const std::string& csvFolder,
                                                  const std::string& serial) {
  std::vector<ServiceRecordEntry> entries;
  std::error_code failed;
  for (const auto& file : std::filesystem::directory_iterator(csvFolder, failed)) {
    if (!IsRecordFile(file.path(), serial)) continue;
    auto measurements = ReadMeasurements(file.path());
    for (const platform::CsvRecord& row : ReadRecords(file.path())) {
      auto entry = ServiceRecordEntryOf(row);
      if (!entry || (!serial.empty() && entry->serial != serial)) continue;
      if (!entry->runId.empty()) entry->measurements = std::move(measurements[entry->runId]);
      entries.push_back(std::move(*entry));
    }
  }
  // Newest first; rows of one second keep the order they were written in, last first.
  std::reverse(entries.begin(), entries.end());
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a.time > b.time; });
  return entries;
}

}  // namespace record
