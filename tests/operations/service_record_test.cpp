// The service record: rows of done, failed and cancelled runs with the texts technicians and
// messages write, one file per printer and month, read back newest first, and read by another
// CSV reader.

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

#include "support/temp_folder.h"

namespace operations {
// A row as a failing test shows it.
void PrintTo(const ServiceRecordEntry& e, std::ostream* out) {
  *out << "{" << e.time << "|" << e.station << "|" << e.worker << "|" << e.model << "|" << e.serial
       << "|" << e.firmware << "|" << e.functionNumber << "|" << e.title << "|" << e.result << "|"
       << e.lastError << "|";
  for (const std::string& m : e.messages) *out << "[" << m << "]";
  *out << "}";
}
}  // namespace operations

namespace {

using operations::ServiceRecordEntry;

// 2026-11-30 23:59:58 and 2026-12-01 08:00:00 UTC.
constexpr std::int64_t kNovember = 1796083198;
constexpr std::int64_t kDecember = 1796112000;

class ServiceRecordTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    settings.strHdidBELTNo = "L3";
    settings.strHdidPCNo = "07";
    settings.strJIGNo = "J12";
    settings.strWorkerID = "40211";
  }
  ServiceRecordEntry Entry(std::int64_t when, const std::string& serial, int function,
                           const char* result, std::vector<std::string> messages = {}) {
    ServiceRecordEntry entry = operations::NewRecordEntry(when, settings);
    entry.model = "LW";
    entry.serial = serial;
    entry.firmware = "LW08A0";
    entry.functionNumber = function;
    entry.title = "Serial number, \"check\"";
    entry.result = result;
    entry.lastError = result == std::string(operations::kRecordFailed) ? -936 : 0;
    entry.messages = std::move(messages);
    return entry;
  }
  void Append(const ServiceRecordEntry& entry) {
    std::string error;
    ASSERT_TRUE(operations::AppendServiceRecord(folder / "CSV", entry, &error)) << error;
  }

  testing_support::TempFolder folder;
  settings::AppSettings settings;
};

TEST_F(ServiceRecordTest, RunsComeBackNewestFirstWithTheirTextsWhole) {
  const ServiceRecordEntry done = Entry(kNovember, "AB12345678", 310230, operations::kRecordDone,
                                        {"The operation has finished successfully."});
  const ServiceRecordEntry failed =
      Entry(kDecember, "AB12345678", 110220, operations::kRecordFailed,
            {"The value entered, \"0x2D\", is not valid.", "Again?"});
  const ServiceRecordEntry cancelled =
      Entry(kDecember, "AB12345678", 110200, operations::kRecordCancelled);
  Append(done);
  Append(failed);
  Append(cancelled);
  Append(Entry(kDecember, "ZZ99999999", 310230, operations::kRecordDone));  // another printer
  EXPECT_EQ(done.time, "2026-11-30 23:59:58");
  EXPECT_EQ(done.station, "L3-07-J12");
  EXPECT_EQ(done.worker, "40211");
  EXPECT_EQ(operations::ReadServiceRecord(folder / "CSV", "AB12345678"),
            (std::vector<ServiceRecordEntry>{cancelled, failed, done}));
  EXPECT_EQ(operations::ReadServiceRecord(folder / "CSV", "").size(), 4u);
  // One file per printer and month.
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/AB12345678_2026-11.csv"));
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/AB12345678_2026-12.csv"));
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/ZZ99999999_2026-12.csv"));
}

TEST_F(ServiceRecordTest, AMessageOnSeveralLinesIsOneLineOfTheRecord) {
  Append(Entry(kDecember, "AB12345678", 210090, operations::kRecordFailed,
               {"The printer's NVRAM cannot be read.\nSwitch the printer off and on again."}));
  const auto entries = operations::ReadServiceRecord(folder / "CSV", "AB12345678");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].messages,
            std::vector<std::string>{
                "The printer's NVRAM cannot be read. Switch the printer off and on again."});
}

TEST_F(ServiceRecordTest, ASerialNumberThatNoFileNameCanHoldStaysWholeInTheRecord) {
  Append(Entry(kDecember, "A/B 12:34", 310230, operations::kRecordDone));
  Append(Entry(kDecember, "", 310230, operations::kRecordDone));  // a board without one
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/A_B_12_34_2026-12.csv"));
  EXPECT_TRUE(std::filesystem::exists(folder / "CSV/unknown_2026-12.csv"));
  const auto entries = operations::ReadServiceRecord(folder / "CSV", "A/B 12:34");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].serial, "A/B 12:34");
  EXPECT_TRUE(operations::ReadServiceRecord(folder / "missing", "").empty());
}

}  // namespace

namespace {

using namespace testing_support;

// Runs through the dispatcher, each leaving its row.
class RecordedRunTest : public OperationsFixture {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    clock.SetUnixSeconds(kDecember);
    settings.strWorkerID = "40211";
    operations::AddIdentityOperations(table);
    operations::AddMaintenanceOperations(table);
    Attach("LW");
  }
  std::vector<ServiceRecordEntry> Record() {
    return operations::ReadServiceRecord(Environment().folders.csv, "");
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
  ServiceRecordEntry done = operations::NewRecordEntry(kDecember, settings);
  done.model = "LW";
  done.serial = Serial();
  done.firmware = request.romVersion;
  done.functionNumber = 310230;
  done.title = "Serial number";
  done.result = operations::kRecordDone;
  done.lastError = request.lastError;  // the link's, as scripts see it
  ASSERT_EQ(Record(), std::vector<ServiceRecordEntry>{done});

  // Stopped at the question: cancelled, with the question asked.
  request.itemTitle.clear();  // a run without a tree title is named by its operation
  request.inputText = "AB12345678";
  ui.QueueAnswer(ui::kAnswerCancel);
  Run(operations::kInputBase, 10230);
  ASSERT_EQ(Record().size(), 2u);
  EXPECT_EQ(Record()[0].result, operations::kRecordCancelled);
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
  EXPECT_EQ(failed.result, operations::kRecordFailed);
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
  EXPECT_EQ(Record()[0].result, operations::kRecordDone);

  // A print file the printer does not take: failed, with what was shown.
  SetFaults([](vprinter::Faults& f) { f.paperJam = true; });
  link = operations::MakeRunLink(Environment());
  EXPECT_FALSE(operations::PrintFile(Environment(), *link, folder.Write("job.prn", "\x1B@")));
  ASSERT_EQ(Record().size(), 2u);
  EXPECT_EQ(Record()[0].functionNumber, operations::kPrintFileFunction);
  EXPECT_EQ(Record()[0].result, operations::kRecordFailed);
  EXPECT_EQ(Record()[0].messages, std::vector<std::string>{operations::kCommunicationError});
}

TEST_F(RecordedRunTest, TheBackupUtilityIsRecordedDoneOrCancelledByTheSaveDialog) {
  ui.QueueFile(folder / "image.bin");
  ASSERT_FALSE(operations::RunUtilityBackup(Environment(), "Reading").savedPath.empty());
  ui.QueueFile(std::nullopt);  // the technician closes the save dialog
  EXPECT_TRUE(operations::RunUtilityBackup(Environment(), "Reading").cancelled);
  const auto rows = Record();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].result, operations::kRecordCancelled);
  EXPECT_EQ(rows[1].result, operations::kRecordDone);
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

}  // namespace
