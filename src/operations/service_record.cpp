// Item 90080, Service record: its page shows the attached printer's record, read when the item
// is selected; nothing runs on the printer.

#include "operations/service_record.h"

#include "driver/nvram_map.h"
#include "operations/service_operations.h"
#include "record/outbox.h"
#include "record/printer_history.h"

namespace operations {

record::ServiceRecordEntry NewRecordEntry(const ServiceEnvironment& env) {
  record::ServiceRecordEntry entry;
  entry.runId = record::NewRunId();
  entry.time = record::RecordTime(env.clock.UnixSeconds());
  const settings::AppSettings& settings = env.settings;
  entry.station = settings.strHdidBELTNo + "-" + settings.strHdidPCNo + "-" + settings.strJIGNo;
  entry.host = env.hostName;
  entry.worker = settings.strWorkerID;
  return entry;
}

std::string ReadRecordSerial(printer::CPrinterLink& link) {
  std::string serial;
  link.ReadPrdString(driver::nvram::kSerialNumber, driver::nvram::kSerialLength, serial);
  return serial;
}

namespace {

void Warn(const ServiceEnvironment& env, const std::string& text) {
  env.ui.MessageBox(text, ui::kApplicationTitle, ui::kOk | ui::kIconWarning);
}

// The run waits in the outbox for the line database, which the sender is told of. The local row
// is already written: a run that cannot wait is told, and the local record still has it.
void QueueForLineDatabase(const ServiceEnvironment& env, const record::ServiceRecordEntry& entry) {
  std::string error;
  if (!record::Outbox(env.folders.csv).Put(entry, env.clock.UnixMillis(), &error)) {
    Warn(env, "The run could not be queued for the line database.\n" + error);
    return;
  }
  if (env.sendRecord) env.sendRecord();
}

}  // namespace

void RecordRun(const ServiceEnvironment& env, const RecordedRun& run) {
  if (!ServiceRecordOn(env)) return;
  record::ServiceRecordEntry entry = NewRecordEntry(env);
  entry.model = run.romVersion.substr(0, 2);
  entry.firmware = run.romVersion;
  entry.serial = run.serial;
  entry.functionNumber = run.functionNumber;
  entry.title = run.title;
  entry.lastError = run.lastError;
  entry.messages = env.messages.Shown();
  entry.measurements = env.measurements.Taken();
  const bool stopped = run.cancelled || env.messages.StoppedByAnswer();
  entry.result = run.succeeded ? record::kRecordDone
                 : stopped     ? record::kRecordCancelled
                               : record::kRecordFailed;
  std::string error;
  if (!record::AppendServiceRecord(env.folders.csv, entry, &error)) {
    Warn(env, "The service record could not be written.\n" + error);
    return;
  }
  if (env.LineDatabaseOn()) QueueForLineDatabase(env, entry);
}

// The page reads the line database while the technician waits for the page, as it reads the
// printer: the shortest waits libpq takes, so a database that is away costs seconds, not more.
constexpr record::LineTimeouts kPageTimeouts{2, 2000};

// The page's rows: the printer's own from every station, and for a board without a serial
// number the rows of the boards that had none. A line database that cannot be read leaves this
// station's rows, and says so.
void ReadRecordPage(OperationRun& run) {
  record::PrinterHistory history =
      record::ReadPrinterHistory(run.env.folders.csv, run.env.settings.strLineDatabase,
                                 ReadRecordSerial(run.link), kPageTimeouts);
  if (history.databaseError)
    Warn(run.env, "Only this station's record is shown.\n" + *history.databaseError);
  run.request.record = std::move(history.runs);
}

void AddServiceRecordOperations(OperationTable& table) {
  table.AddItemValues(kServiceRecordItem, ReadRecordPage);
}

}  // namespace operations
