// The local service record: rows of done, failed and cancelled runs with the texts technicians and
// messages write, one file per printer and month, the measurements beside them joined by run id,
// read back newest first; files from before run ids read and upgraded; the outbox of runs waiting
// for the line database.

#include "record/local_record.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>

#include "record/line_sender.h"
#include "record/outbox.h"
#include "support/record_runs.h"
#include "support/temp_folder.h"

namespace record {
// A row as a failing test shows it.
void PrintTo(const ServiceRecordEntry& e, std::ostream* out) {
  *out << "{" << e.runId << "|" << e.time << "|" << e.station << "|" << e.host << "|" << e.worker
       << "|" << e.model << "|" << e.serial << "|" << e.firmware << "|" << e.functionNumber << "|"
       << e.title << "|" << e.result << "|" << e.lastError << "|";
  for (const std::string& m : e.messages) *out << "[" << m << "]";
  for (const Measurement& m : e.measurements) *out << "<" << m.name << "=" << m.value << ">";
  *out << "}";
}
}  // namespace record

namespace {

using record::Measurement;
using record::ServiceRecordEntry;

// 2026-11-30 23:59:58 and 2026-12-01 08:00:00 UTC.
constexpr std::int64_t kNovember = 1796083198;
constexpr std::int64_t kDecember = 1796112000;

class LocalRecordTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  static ServiceRecordEntry Entry(std::int64_t when, const std::string& serial, int function,
                                  const char* result, std::vector<std::string> messages = {}) {
    ServiceRecordEntry entry =
        testing_support::SampleRun(serial, record::RecordTime(when), function);
    entry.title = "Serial number, \"check\"";
    entry.result = result;
    entry.lastError = result == std::string(record::kRecordFailed) ? -936 : 0;
    entry.messages = std::move(messages);
    return entry;
  }
  void Append(const ServiceRecordEntry& entry) {
    std::string error;
    ASSERT_TRUE(record::AppendServiceRecord(folder / "CSV", entry, &error)) << error;
  }

  testing_support::TempFolder folder;
};

TEST_F(LocalRecordTest, RunsComeBackNewestFirstWithTheirTextsWhole) {
  const ServiceRecordEntry done = Entry(kNovember, "AB12345678", 310230, record::kRecordDone,
                                        {"The operation has finished successfully."});
  const ServiceRecordEntry failed = Entry(kDecember, "AB12345678", 110220, record::kRecordFailed,
                                          {"The value entered, \"0x2D\", is not valid.", "Again?"});
  const ServiceRecordEntry cancelled =
      Entry(kDecember, "AB12345678", 110200, record::kRecordCancelled);
  Append(done);
  Append(failed);
  Append(cancelled);
  Append(Entry(kDecember, "ZZ99999999", 310230, record::kRecordDone));  // another printer
  EXPECT_EQ(done.time, "2026-11-30 23:59:58");
  EXPECT_EQ(record::ReadServiceRecord(folder / "CSV", "AB12345678"),
            (std::vector<ServiceRecordEntry>{cancelled, failed, done}));
  EXPECT_EQ(record::ReadServiceRecord(folder / "CSV", "").size(), 4u);
  // Other CSV files in the folder are no printer's month: not read as one.
  folder.Write("CSV/notes.csv", "Time,Station\r\n");
  folder.Write("CSV/AB12345678_2026-1x.csv",
               platform::FormatCsvRecord(record::ServiceRecordRow(done)));
  EXPECT_EQ(record::ReadServiceRecord(folder / "CSV", "").size(), 4u);
  // One file per printer and month.
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/AB12345678_2026-11.csv"));
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/AB12345678_2026-12.csv"));
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/ZZ99999999_2026-12.csv"));
}

TEST_F(LocalRecordTest, AMessageOnSeveralLinesIsOneLineOfTheRecord) {
  Append(Entry(kDecember, "AB12345678", 210090, record::kRecordFailed,
               {"The printer's NVRAM cannot be read.\nSwitch the printer off and on again."}));
  const auto entries = record::ReadServiceRecord(folder / "CSV", "AB12345678");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].messages,
            std::vector<std::string>{
                "The printer's NVRAM cannot be read. Switch the printer off and on again."});
}

TEST_F(LocalRecordTest, ASerialNumberThatNoFileNameCanHoldStaysWholeInTheRecord) {
  Append(Entry(kDecember, "A/B 12:34", 310230, record::kRecordDone));
  Append(Entry(kDecember, "", 310230, record::kRecordDone));  // a board without one
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/A_B_12_34_2026-12.csv"));
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/unknown_2026-12.csv"));
  const auto entries = record::ReadServiceRecord(folder / "CSV", "A/B 12:34");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].serial, "A/B 12:34");
  EXPECT_TRUE(record::ReadServiceRecord(folder / "missing", "").empty());
}

// Each run's measurements come back with it, and only with it, from the file beside the rows.
TEST_F(LocalRecordTest, MeasurementsAreKeptBesideTheRowsAndJoinedByRunId) {
  ServiceRecordEntry motor = Entry(kDecember, "AB12345678", 210060, record::kRecordFailed);
  motor.measurements = {record::Judge("Current", 1.25, "A", 0.5, 1.2),
                        record::Judge("Time", 0.1 + 0.2, "s", std::nullopt, 4),
                        record::Judge("Limit only below", -3, "", -3, std::nullopt)};
  ServiceRecordEntry plain = Entry(kDecember, "AB12345678", 310230, record::kRecordDone);
  Append(motor);
  Append(plain);
  EXPECT_EQ(motor.measurements[0].verdict, record::kVerdictFail);  // above its upper limit
  EXPECT_EQ(motor.measurements[1].verdict, record::kVerdictPass);
  EXPECT_EQ(motor.measurements[2].verdict, record::kVerdictPass);  // the limit holds itself
  EXPECT_EQ(record::ReadServiceRecord(folder / "CSV", "AB12345678"),
            (std::vector<ServiceRecordEntry>{plain, motor}));  // values read back exactly
  EXPECT_EQ(folder.Read("CSV/AB12345678_2026-12_measurements.csv"),
            "RunId,Name,Value,Unit,Low,High,Verdict\r\n" + motor.runId +
                ",Current,1.25,A,0.5,1.2,fail\r\n" + motor.runId +
                ",Time,0.30000000000000004,s,,4,pass\r\n" + motor.runId +
                ",Limit only below,-3,,-3,,pass\r\n");
}

// A file written before run ids keeps its rows, is read as it is, and gets the new columns when
// the next row goes in.
TEST_F(LocalRecordTest, AFileFromBeforeRunIdsIsReadAndUpgradedWhole) {
  const std::string old =
      "Time,Station,Worker,Model,Serial,Firmware,Function,Title,Result,LastError,Messages\r\n"
      "2026-12-01 07:00:00,L3-07-J12,40211,LW,AB12345678,LW08A0,310230,Serial number,done,0,"
      "\"Line one\nLine two\"\r\n";
  folder.Write("CSV/AB12345678_2026-12.csv", old);
  const auto before = record::ReadServiceRecord(folder / "CSV", "AB12345678");
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0].runId, "");
  EXPECT_EQ(before[0].messages, (std::vector<std::string>{"Line one", "Line two"}));

  const ServiceRecordEntry next = Entry(kDecember, "AB12345678", 310230, record::kRecordDone);
  Append(next);
  EXPECT_EQ(folder.Read("CSV/AB12345678_2026-12.csv")
                .rfind("Time,Station,Worker,Model,Serial,Firmware,Function,Title,Result,LastError,"
                       "Messages,RunId,Host\r\n2026-12-01 07:00:00,L3-07-J12,40211,LW,AB12345678,"
                       "LW08A0,310230,Serial number,done,0,\"Line one\nLine two\",,\r\n",
                       0),
            0u);
  EXPECT_EQ(record::ReadServiceRecord(folder / "CSV", "AB12345678"),
            (std::vector<ServiceRecordEntry>{next, before[0]}));
}

TEST(RunIdTest, RunIdsAreRandomVersionFourUuids) {
  const std::regex form("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  std::set<std::string> ids;
  for (int i = 0; i < 1000; ++i) {
    const std::string id = record::NewRunId();
    EXPECT_TRUE(std::regex_match(id, form)) << id;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 1000u);
}

// The outbox holds each run whole, in the order recorded, until it is sent; a file that holds no
// run is set aside; the last error is kept until cleared.
TEST_F(LocalRecordTest, TheOutboxKeepsWaitingRunsInOrderUntilSent) {
  const record::Outbox outbox(folder / "CSV");
  EXPECT_TRUE(outbox.Waiting().empty());
  ServiceRecordEntry first = Entry(kDecember, "AB12345678", 210060, record::kRecordDone);
  first.measurements = {record::Judge("Current", 1, "A", 0.5, 1.2)};
  const ServiceRecordEntry second = Entry(kDecember, "ZZ99999999", 310230, record::kRecordDone);
  std::string error;
  ASSERT_TRUE(outbox.Put(first, kDecember * 1000, &error)) << error;
  ASSERT_TRUE(outbox.Put(second, kDecember * 1000, &error)) << error;  // the same millisecond
  auto waiting = outbox.Waiting();
  ASSERT_EQ(waiting.size(), 2u);
  EXPECT_EQ(outbox.Read(waiting[0]), first);
  EXPECT_EQ(outbox.Read(waiting[1]), second);

  // A measurement of another run in a run's file: the file is not that run.
  const std::string mixed = folder.Read(waiting[0].substr(folder.Path().size() + 1));
  folder.Write("CSV/LineOutbox/0000000000000-000001-mixed.csv",
               mixed.substr(0, mixed.rfind(first.runId)) + second.runId +
                   mixed.substr(mixed.rfind(first.runId) + first.runId.size()));
  EXPECT_EQ(outbox.Read(folder / "CSV/LineOutbox/0000000000000-000001-mixed.csv"), std::nullopt);
  std::filesystem::remove(folder / "CSV/LineOutbox/0000000000000-000001-mixed.csv");

  outbox.Sent(waiting[0]);
  folder.Write("CSV/LineOutbox/0000000000000-000000-torn.csv", "Time,Sta");
  waiting = outbox.Waiting();
  ASSERT_EQ(waiting.size(), 2u);
  EXPECT_EQ(outbox.Read(waiting[0]), std::nullopt);
  outbox.SetAside(waiting[0]);
  EXPECT_EQ(outbox.Waiting(), std::vector<std::string>{waiting[1]});
  EXPECT_TRUE(std::filesystem::exists(waiting[0] + ".bad"));

  EXPECT_EQ(outbox.LastError(), std::nullopt);
  outbox.SetLastError("The line database cannot be reached: refused");
  EXPECT_EQ(outbox.LastError(), "The line database cannot be reached: refused");
  outbox.SetLastError(std::nullopt);
  EXPECT_EQ(outbox.LastError(), std::nullopt);
}

// While another sender works through the outbox (the desktop program, a `record sync`), a second
// one leaves the runs to it and returns at once.
TEST_F(LocalRecordTest, OneSenderAtATimeWorksThroughAnOutbox) {
  const record::Outbox outbox(folder / "CSV");
  ASSERT_TRUE(outbox.Put(Entry(kDecember, "AB12345678", 310230, record::kRecordDone), 1, nullptr));
  const int held = ::open((outbox.Folder() + "/send.lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const record::SendReport report =
      record::SendWaitingRuns(outbox, "host=127.0.0.1 port=1 dbname=x", {});
  ::close(held);
  EXPECT_EQ(report.sent, 0);
  EXPECT_EQ(report.waiting, 1);
  EXPECT_EQ(report.error, std::nullopt);  // it did not try
  EXPECT_EQ(outbox.LastError(), std::nullopt);
}

}  // namespace
