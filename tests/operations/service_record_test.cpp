// Recording runs: every run through the dispatcher, the firmware and file senders and the backup
// utility leaves its row, done, failed or cancelled as the technician saw it.

#include "operations/service_record.h"

#include "driver/nvram_map.h"
#include "operations/board_exchange.h"
#include "operations/dispatcher.h"
#include "operations/file_transfer.h"
#include "operations/service_operations.h"
#include "support/service_fixture.h"
#include "vprinter/firmware_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "record/line_database.h"
#include "record/line_sender.h"
#include "support/loopback.h"
#include "support/postgres_server.h"
#include "support/temp_folder.h"

namespace {

using namespace testing_support;
using record::ServiceRecordEntry;

// 2026-12-01 08:00:00 UTC.
constexpr std::int64_t kDecember = 1796112000;

// Runs through the dispatcher, each leaving its row.
class RecordedRunTest : public OperationsFixture {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    clock.SetUnixSeconds(kDecember);
    settings.strWorkerID = "40211";
    settings.strHdidBELTNo = "L3";
    settings.strHdidPCNo = "07";
    settings.strJIGNo = "J12";
    operations::AddIdentityOperations(table);
    operations::AddMaintenanceOperations(table);
    Attach("LW");
  }
  std::vector<ServiceRecordEntry> Record() {
    return record::ReadServiceRecord(Environment().folders.csv, "");
  }
  // A message as the record keeps it: its line breaks are spaces.
  static std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
  }
  std::string Serial() {
    const vprinter::Bytes serial = Peek(driver::nvram::kSerialNumber, driver::nvram::kSerialLength);
    return {serial.begin(), serial.end()};
  }
};

TEST_F(RecordedRunTest, DoneFailedAndCancelledRunsAreRecordedAsTheTechnicianSawThem) {
  request.itemTitle = "Serial number";
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  ServiceRecordEntry done = Record().at(0);  // its run id and host checked below
  EXPECT_EQ(done.runId.size(), 36u);
  EXPECT_EQ(done.host, Environment().hostName);
  done.time = "2026-12-01 08:00:00";
  done.station = "L3-07-J12";
  done.worker = "40211";
  done.model = "LW";
  done.serial = Serial();
  done.firmware = request.romVersion;
  done.functionNumber = 310230;
  done.title = "Serial number";
  done.result = record::kRecordDone;
  done.lastError = request.lastError;  // the link's, as scripts see it
  ASSERT_EQ(Record(), std::vector<ServiceRecordEntry>{done});

  // Stopped at the question: cancelled, with the question asked.
  request.itemTitle.clear();  // a run without a tree title is named by its operation
  request.inputText = "AB12345678";
  ui.QueueAnswer(ui::kAnswerCancel);
  Run(operations::kInputBase, 10230);
  ASSERT_EQ(Record().size(), 2u);
  EXPECT_EQ(Record()[0].result, record::kRecordCancelled);
  EXPECT_EQ(Record()[0].title, "WriteSerialNumber");
  EXPECT_EQ(Record()[0].messages, std::vector<std::string>{OneLine(Message(11023001).text)});

  // A printer lost while it cleans: failed, with the message that said so.
  request.colourFlags = {1, 1, 1, 1, 1};
  ui.QueueAnswer(ui::kAnswerOk);
  clock.OnSleep([this] { SetFaults([](vprinter::Faults& f) { f.disconnected = true; }); });
  Run(operations::kExecuteBase, 10100);
  clock.OnSleep({});
  ASSERT_EQ(Record().size(), 3u);
  const ServiceRecordEntry failed = Record()[0];
  EXPECT_EQ(failed.result, record::kRecordFailed);
  EXPECT_EQ(failed.functionNumber, 210100);
  ASSERT_EQ(failed.messages.size(), 2u);  // the cleaning's question, then the failure
  EXPECT_EQ(failed.messages.back(), OneLine(Message(operations::kMsgPrinterFailed).text));
  EXPECT_EQ(failed.serial, "");  // it could no longer be read
}

TEST_F(RecordedRunTest, ABoardWithoutASerialNumberIsRecordedUnderUnknown) {
  Poke(driver::nvram::kSerialNumber, vprinter::Bytes(10, 0));
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  ASSERT_EQ(Record().size(), 1u);
  EXPECT_EQ(Record()[0].serial, "");
  EXPECT_TRUE(std::filesystem::exists(Environment().folders.csv + "/unknown_2026-12.csv"));
}

TEST_F(RecordedRunTest, FirmwareUpdatesAndFilePrintsAreRecordedToo) {
  const vprinter::Bytes firmware =
      vprinter::BuildFirmwareFile({"LW", "LW09A0", vprinter::Bytes(5000, 7)});
  const std::string path = folder.Write("new.UPG", std::string(firmware.begin(), firmware.end()));
  auto link = operations::MakeRunLink(Environment());
  ASSERT_TRUE(operations::UpdateFirmware(Environment(), *link, path));
  ASSERT_EQ(Record().size(), 1u);
  EXPECT_EQ(Record()[0].functionNumber, operations::kFirmwareFunction);
  EXPECT_EQ(Record()[0].title, "Firmware update new.UPG");
  EXPECT_EQ(Record()[0].firmware, "LW09A0");  // what the printer runs afterwards
  EXPECT_EQ(Record()[0].serial, Serial());
  EXPECT_EQ(Record()[0].result, record::kRecordDone);

  // A print file the printer does not take: failed, with what was shown.
  SetFaults([](vprinter::Faults& f) { f.paperJam = true; });
  link = operations::MakeRunLink(Environment());
  EXPECT_FALSE(operations::PrintFile(Environment(), *link, folder.Write("job.prn", "\x1B@")));
  ASSERT_EQ(Record().size(), 2u);
  EXPECT_EQ(Record()[0].functionNumber, operations::kPrintFileFunction);
  EXPECT_EQ(Record()[0].result, record::kRecordFailed);
  EXPECT_EQ(Record()[0].messages, std::vector<std::string>{operations::kCommunicationError});
}

TEST_F(RecordedRunTest, TheBackupUtilityIsRecordedDoneOrCancelledByTheSaveDialog) {
  ui.QueueFile(folder / "image.bin");
  ASSERT_FALSE(operations::RunUtilityBackup(Environment(), "Reading").savedPath.empty());
  ui.QueueFile(std::nullopt);  // the technician closes the save dialog
  EXPECT_TRUE(operations::RunUtilityBackup(Environment(), "Reading").cancelled);
  const auto rows = Record();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].result, record::kRecordCancelled);
  EXPECT_EQ(rows[1].result, record::kRecordDone);
  EXPECT_EQ(rows[1].functionNumber, operations::kBackupUtilityFunction);
  EXPECT_EQ(rows[1].serial, Serial());
  EXPECT_EQ(rows[1].model, "LW");
}

TEST_F(RecordedRunTest, SwitchedOffNothingIsWritten) {
  settings.nServiceRecord = 0;
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  EXPECT_FALSE(std::filesystem::exists(Environment().folders.csv));
}

TEST_F(RecordedRunTest, ARecordThatCannotBeWrittenIsToldOfAndTheRunStillCounts) {
  // The CSV folder's place is taken by a file.
  std::filesystem::create_directories(folder / "drive_c/ProfileName");
  folder.Write("drive_c/ProfileName/CSV", "not a folder");
  Mark();
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  EXPECT_TRUE(request.operationSucceeded);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].icon, ui::kIconWarning);
  EXPECT_EQ(Shown()[0].text.rfind("The service record could not be written.\n", 0), 0u);
}

// With a line database each run also waits in the outbox and the sender is told; the record page
// then shows the printer's runs from every station.
TEST_F(RecordedRunTest, WithALineDatabaseRunsWaitForItAndThePageShowsEveryStation) {
  testing_support::PostgresServer server;
  if (!server.WhyNot().empty()) GTEST_SKIP() << server.WhyNot();
  settings.strLineDatabase = server.Connection(server.CreateDatabase("page"));
  operations::AddServiceRecordOperations(table);
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  EXPECT_EQ(runsQueued, 1);
  const record::Outbox outbox(Environment().folders.csv);
  ASSERT_EQ(outbox.Waiting().size(), 1u);
  EXPECT_EQ(outbox.Read(outbox.Waiting()[0]), Record().at(0));

  ServiceRecordEntry elsewhere = Record().at(0);
  elsewhere.runId = record::NewRunId();
  elsewhere.station = "L9-01-J01";
  elsewhere.host = "station-9";
  elsewhere.time = "2026-11-30 12:00:00";
  std::string error;
  ASSERT_TRUE(
      record::LineDatabase::Open(settings.strLineDatabase, {}, &error)->Insert(elsewhere, &error))
      << error;
  // Not sent yet: the page still has this station's run, once.
  ASSERT_TRUE(Prefetch(operations::kServiceRecordItem));
  ASSERT_EQ(request.record.size(), 2u);
  EXPECT_EQ(request.record[0], Record().at(0));
  EXPECT_EQ(request.record[1], elsewhere);
  EXPECT_EQ(record::SendWaitingRuns(outbox, settings.strLineDatabase, {}).sent, 1);
  ASSERT_TRUE(Prefetch(operations::kServiceRecordItem));
  EXPECT_EQ(request.record.size(), 2u);

  // A database away: this station's rows, and a warning that says why.
  server.Stop();
  Mark();
  ASSERT_TRUE(Prefetch(operations::kServiceRecordItem));
  ASSERT_EQ(request.record.size(), 1u);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].icon, ui::kIconWarning);
  EXPECT_EQ(Shown()[0].text.rfind("Only this station's record is shown.\nThe line database cannot "
                                  "be reached: ",
                                  0),
            0u)
      << Shown()[0].text;
  server.Start();
}

TEST_F(RecordedRunTest, WithoutALineDatabaseNothingWaits) {
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  EXPECT_EQ(runsQueued, 0);
  EXPECT_TRUE(record::Outbox(Environment().folders.csv).Waiting().empty());
}

// A database host that takes the connection and never answers (a hung server): the page gives it
// up after its connect time-out and shows this station's runs.
TEST_F(RecordedRunTest, AHungDatabaseHoldsThePageUpOnlyForItsTimeOut) {
  int port = 0;
  const int silent = ListenOnLoopback(port);
  settings.strLineDatabase = "host=127.0.0.1 port=" + std::to_string(port) + " dbname=x user=y";
  operations::AddServiceRecordOperations(table);
  ASSERT_TRUE(Run(operations::kCheckBase, 10230));
  Mark();
  ASSERT_TRUE(Prefetch(operations::kServiceRecordItem));
  ::close(silent);
  EXPECT_EQ(request.record.size(), 1u);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].text.find("timeout expired"), std::string::npos) << Shown()[0].text;
}

}  // namespace
