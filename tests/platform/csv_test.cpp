// CSV files: what another reader (Python's csv module) reads of ours and we of its, records cut
// short by a crash at every byte, and a disk that fills in the middle of a record.

#include "platform/csv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/full_disk.h"
#include "support/temp_folder.h"

namespace {

using platform::CsvRecord;

const CsvRecord kHeader = {"Time", "Text", "Code"};
// Fields a technician's texts and the messages hold.
const std::vector<CsvRecord> kRecords = {
    {"2026-12-08 10:00:00", "plain", "0"},
    {"2026-12-08 10:01:00", "a, comma", "-936"},
    {"2026-12-08 10:02:00", "say \"no\"", ""},
    {"2026-12-08 10:03:00", "two\nlines\r\nand a CR\r", "90000005"},
    {"", "\"", ","},
    {"carriage\rreturn", "x", "y"},
    {"2026-12-08 10:04:00", "Übertragung: 100 %", "\xE3\x83\xA9"},
};

// Runs a Python script with file paths as its arguments; what it printed.
std::string Python(const std::string& script, const std::vector<std::string>& paths) {
  std::string command = "python3 -c '" + script + "'";
  for (const std::string& path : paths) command += " '" + path + "'";
  command += " 2>&1";
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// The file as Python's csv module reads it.
std::vector<CsvRecord> ReadWithPython(const std::string& path) {
  const std::string out = Python(
      "import csv, json, sys; print(json.dumps(list(csv.reader(open(sys.argv[1], newline=\"\", "
      "encoding=\"utf-8\")))))",
      {path});
  const auto json = nlohmann::json::parse(out, nullptr, false);
  EXPECT_FALSE(json.is_discarded()) << out;
  return json.is_discarded() ? std::vector<CsvRecord>{} : json.get<std::vector<CsvRecord>>();
}

std::string FileText(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::string text;
  if (file == nullptr) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

std::vector<CsvRecord> WithHeader(std::vector<CsvRecord> records) {
  records.insert(records.begin(), kHeader);
  return records;
}

TEST(Csv, AnotherReaderReadsOurRecordsAndWeReadItsRecords) {
  testing_support::TempFolder folder;
  const std::string path = folder / "record.csv";
  for (const CsvRecord& record : kRecords) {
    std::string error;
    ASSERT_TRUE(platform::AppendCsvRecord(path, kHeader, record, &error)) << error;
  }
  EXPECT_EQ(ReadWithPython(path), WithHeader(kRecords));
  EXPECT_EQ(platform::ParseCsv(FileText(path)).records, WithHeader(kRecords));
  EXPECT_EQ(platform::FormatCsvRecord({"a", "b c", ""}), "a,b c,\r\n");  // quoted only when needed

  // What Python writes, with its own quoting and line ends, reads back field for field.
  const std::string theirs = folder / "theirs.csv";
  Python(
      "import csv, json, sys; w = csv.writer(open(sys.argv[1], \"w\", newline=\"\", "
      "encoding=\"utf-8\")); w.writerows(json.load(open(sys.argv[2], encoding=\"utf-8\")))",
      {theirs, folder.Write("records.json", nlohmann::json(kRecords).dump())});
  EXPECT_EQ(platform::ParseCsv(FileText(theirs)).records, kRecords);
}

TEST(Csv, ARecordCutAnywhereIsNotReadAndTheNextAppendReplacesIt) {
  testing_support::TempFolder folder;
  const std::string path = folder / "record.csv";
  for (const CsvRecord& record : kRecords)
    ASSERT_TRUE(platform::AppendCsvRecord(path, kHeader, record, nullptr));
  const std::string whole = FileText(path);
  const std::string lastRecord = platform::FormatCsvRecord(kRecords.back());
  const std::size_t lastStart = whole.size() - lastRecord.size();
  // A crash at every byte of the last record keeps every record before it.
  for (std::size_t cut = lastStart; cut < whole.size(); ++cut) {
    const platform::CsvText read = platform::ParseCsv(std::string_view(whole).substr(0, cut));
    ASSERT_EQ(read.records.size(), kRecords.size()) << cut;  // the header and all but the last
    ASSERT_EQ(read.completeLength, lastStart) << cut;
  }
  // Cut inside a quoted line break, then appended to: the cut record is gone, the new one whole.
  const std::size_t insideQuotes = whole.find("lines") + 2;
  std::filesystem::resize_file(path, insideQuotes);
  ASSERT_TRUE(platform::AppendCsvRecord(path, kHeader, kRecords[0], nullptr));
  EXPECT_EQ(ReadWithPython(path), WithHeader({kRecords[0], kRecords[1], kRecords[2], kRecords[0]}));
  // A file cut inside its header starts again with the header.
  std::filesystem::resize_file(path, 3);
  ASSERT_TRUE(platform::AppendCsvRecord(path, kHeader, kRecords[1], nullptr));
  EXPECT_EQ(ReadWithPython(path), WithHeader({kRecords[1]}));
}

TEST(Csv, ADiskThatFillsHalfWayThroughARecordLeavesTheFileAsItWas) {
  testing_support::TempFolder folder;
  const std::string path = folder / "record.csv";
  ASSERT_TRUE(platform::AppendCsvRecord(path, kHeader, kRecords[0], nullptr));
  const std::string before = FileText(path);
  // The file may grow by ten bytes more: the write stops inside the record, as on a full disk.
  std::string error;
  bool appended = false;
  {
    const testing_support::FullDisk full(before.size() + 10);
    ASSERT_TRUE(full.Applied());
    appended = platform::AppendCsvRecord(path, kHeader, kRecords[3], &error);
  }
  EXPECT_FALSE(appended);
  EXPECT_NE(error.find("Cannot append to"), std::string::npos) << error;
  EXPECT_EQ(FileText(path), before);
  // With room again, the record goes in whole.
  ASSERT_TRUE(platform::AppendCsvRecord(path, kHeader, kRecords[3], &error)) << error;
  EXPECT_EQ(ReadWithPython(path), WithHeader({kRecords[0], kRecords[3]}));
  // A folder that cannot be written is told of, not passed over.
  EXPECT_FALSE(
      platform::AppendCsvRecord(folder / "missing/record.csv", kHeader, kRecords[0], &error));
  EXPECT_NE(error.find("Cannot open"), std::string::npos) << error;
}

}  // namespace
