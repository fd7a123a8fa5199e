// Item 90080, Service record: its page shows the attached printer's record, read when the item
// is selected; nothing runs on the printer.

#include "operations/service_record.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "driver/nvram_map.h"
#include "operations/service_operations.h"
#include "platform/csv.h"

namespace operations {
namespace {

const platform::CsvRecord kColumns = {"Time",   "Station",   "Worker",   "Model",
                                      "Serial", "Firmware",  "Function", "Title",
                                      "Result", "LastError", "Messages"};

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
  std::sscanf(text.c_str(), "%d", &value);
  return value;
}

std::optional<ServiceRecordEntry> EntryOf(const platform::CsvRecord& row) {
  if (row.size() != kColumns.size() || row == kColumns) return std::nullopt;
  return ServiceRecordEntry{row[0],
                            row[1],
                            row[2],
                            row[3],
                            row[4],
                            row[5],
                            ToInt(row[6]),
                            row[7],
                            row[8],
                            ToInt(row[9]),
                            SplitMessages(row[10])};
}

}  // namespace

ServiceRecordEntry NewRecordEntry(std::int64_t unixSeconds, const settings::AppSettings& settings) {
  const std::time_t time = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  ServiceRecordEntry entry;
  entry.time = text;
  entry.station = settings.strHdidBELTNo + "-" + settings.strHdidPCNo + "-" + settings.strJIGNo;
  entry.worker = settings.strWorkerID;
  return entry;
}

std::string ServiceRecordFile(const std::string& csvFolder, const std::string& serial,
                              const std::string& time) {
  return csvFolder + "/" + FileSafe(serial) + "_" + time.substr(0, 7) + ".csv";
}

std::string ServiceRecordChart(const std::string& csvFolder, const std::string& serial,
                               const std::string& time, int functionNumber) {
  std::string stamp;
  for (const char c : time)
    if (c != ':') stamp += c == ' ' ? '_' : c;
  return csvFolder + "/" + FileSafe(serial) + "_" + stamp + "_" + std::to_string(functionNumber) +
         ".png";
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
          JoinMessages(e.messages)};
}

bool AppendServiceRecord(const std::string& csvFolder, const ServiceRecordEntry& entry,
                         std::string* error) {
  std::error_code ignored;
  std::filesystem::create_directories(csvFolder, ignored);
  return platform::AppendCsvRecord(ServiceRecordFile(csvFolder, entry.serial, entry.time), kColumns,
                                   ServiceRecordRow(entry), error);
}

std::vector<ServiceRecordEntry> ReadServiceRecord(const std::string& csvFolder,
                                                  const std::string& serial) {
  std::vector<ServiceRecordEntry> entries;
  std::error_code failed;
  for (const auto& file : std::filesystem::directory_iterator(csvFolder, failed)) {
    const std::string name = file.path().filename().string();
    if (file.path().extension() != ".csv" ||
        (!serial.empty() && name.rfind(FileSafe(serial) + "_", 0) != 0))
      continue;
    std::ifstream in(file.path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    for (const platform::CsvRecord& row : platform::ParseCsv(text).records)
      if (const auto entry = EntryOf(row); entry && (serial.empty() || entry->serial == serial))
        entries.push_back(*entry);
  }
  // Newest first; rows of one second keep the order they were written in, last first.
  std::reverse(entries.begin(), entries.end());
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a.time > b.time; });
  return entries;
}

std::string ReadRecordSerial(printer::CPrinterLink& link) {
  std::string serial;
  link.ReadPrdString(driver::nvram::kSerialNumber, driver::nvram::kSerialLength, serial);
  return serial;
}

void RecordRun(const ServiceEnvironment& env, const RecordedRun& run) {
  if (!ServiceRecordOn(env)) return;
  ServiceRecordEntry entry = NewRecordEntry(env.clock.UnixSeconds(), env.settings);
  entry.model = run.romVersion.substr(0, 2);
  entry.firmware = run.romVersion;
  entry.serial = run.serial;
  entry.functionNumber = run.functionNumber;
  entry.title = run.title;
  entry.lastError = run.lastError;
  entry.messages = env.messages.Shown();
  const bool stopped = run.cancelled || env.messages.StoppedByAnswer();
  entry.result = run.succeeded ? kRecordDone : stopped ? kRecordCancelled : kRecordFailed;
  std::string error;
  if (!AppendServiceRecord(env.folders.csv, entry, &error))
    env.ui.MessageBox("The service record could not be written.\n" + error, ui::kApplicationTitle,
                      ui::kOk | ui::kIconWarning);
}

// The page's rows: the printer's own, and for a board without a serial number the rows of the
// boards that had none.
void ReadRecordPage(OperationRun& run) {
  const std::string serial = ReadRecordSerial(run.link);
  std::vector<ServiceRecordEntry> rows = ReadServiceRecord(run.env.folders.csv, serial);
  std::erase_if(rows, [&](const ServiceRecordEntry& row) { return row.serial != serial; });
  run.request.record = std::move(rows);
}

void AddServiceRecordOperations(OperationTable& table) {
  table.AddItemValues(kServiceRecordItem, ReadRecordPage);
}

}  // namespace operations
