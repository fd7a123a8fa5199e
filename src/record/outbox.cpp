#include "record/outbox.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/csv.h"
#include "platform/files.h"
#include "record/local_record.h"

namespace record {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLastErrorFile = "last-error.txt";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

Outbox::Outbox(const std::string& csvFolder) : folder_(csvFolder + "/LineOutbox") {}

bool Outbox::Put(const ServiceRecordEntry& entry, std::int64_t unixMillis,
                 std::string* error) const {
  // Runs recorded in one millisecond keep their order by the sequence.
  static std::atomic<unsigned> sequence{0};
  char name[64];
  std::snprintf(name, sizeof name, "%013" PRId64 "-%06u-", unixMillis, sequence++ % 1000000);
  std::string bytes = platform::FormatCsvRecord(ServiceRecordColumns()) +
                      platform::FormatCsvRecord(ServiceRecordRow(entry)) +
                      platform::FormatCsvRecord(MeasurementColumns());
  for (const Measurement& m : entry.measurements)
    bytes += platform::FormatCsvRecord(MeasurementRow(entry.runId, m));
  std::error_code ignored;
  fs::create_directories(folder_, ignored);
  const std::string path = folder_ + "/" + name + entry.runId + ".csv";
  if (platform::ReplaceFile(path, bytes)) return true;
  if (error) *error = "Cannot write " + path;
  return false;
}

std::vector<std::string> Outbox::Waiting() const {
  std::vector<std::string> files;
  std::error_code failed;
  for (const auto& file : fs::directory_iterator(folder_, failed))
    if (file.path().extension() == ".csv") files.push_back(file.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::optional<ServiceRecordEntry> Outbox::Read(const std::string& file) const {
  const auto records = platform::ParseCsv(ReadText(file)).records;
  if (records.size() < 3 || records[0] != ServiceRecordColumns() ||
      records[2] != MeasurementColumns())
    return std::nullopt;
  auto entry = ServiceRecordEntryOf(records[1]);
  if (!entry || entry->runId.empty()) return std::nullopt;
  for (std::size_t i = 3; i < records.size(); ++i) {
    auto measured = MeasurementOf(records[i]);
    if (!measured || measured->first != entry->runId) return std::nullopt;
    entry->measurements.push_back(std::move(measured->second));
  }
  return entry;
}

void Outbox::Sent(const std::string& file) const {
  std::error_code ignored;  // a second sender may have removed it first
  fs::remove(file, ignored);
}

void Outbox::SetAside(const std::string& file) const {
  std::error_code ignored;
  fs::rename(file, file + ".bad", ignored);
}

void Outbox::SetLastError(const std::optional<std::string>& error) const {
  const std::string path = folder_ + "/" + kLastErrorFile;
  std::error_code ignored;
  if (!error) {
    fs::remove(path, ignored);
    return;
  }
  fs::create_directories(folder_, ignored);
  platform::ReplaceFile(path, *error, false);
}

std::optional<std::string> Outbox::LastError() const {
  const std::string path = folder_ + "/" + kLastErrorFile;
  if (!fs::exists(path)) return std::nullopt;
  return ReadText(path);
}

}  // namespace record
