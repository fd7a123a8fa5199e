#pragma once
// Recording a run that has ended: its row and measurements in the local record
// (record/local_record.h) and, when the settings name a line database, in the outbox of runs
// waiting for it.

#include <cstdint>
#include <string>
#include <vector>

#include "operations/service_environment.h"
#include "printer/printer_link.h"
#include "record/local_record.h"

namespace operations {

// The menu item whose page shows the attached printer's record.
inline constexpr int kServiceRecordItem = 90080;

// The time and the station, host and worker of the environment, and a new run id, as a new entry
// carries them.
record::ServiceRecordEntry NewRecordEntry(const ServiceEnvironment& env);

// A run that has just ended, as the record names it.
struct RecordedRun {
  int functionNumber = 0;
  std::string title;
  std::string romVersion;  // the printer's firmware version, "" when it could not be read
  std::string serial;      // ReadRecordSerial's, "" when it could not be read
  bool succeeded = false;
  bool cancelled = false;  // the technician stopped it (other than by answering a question)
  int lastError = 0;       // the link's when the run ended
};

// Whether the settings keep the service record.
inline bool ServiceRecordOn(const ServiceEnvironment& env) {
  return env.settings.nServiceRecord == 1;
}

// The serial number for the record, read over the open link; "" when it cannot be read or holds
// other than letters and digits (a new board).
std::string ReadRecordSerial(printer::CPrinterLink& link);

// Appends the run's row, unless the settings switch the record off: the time, station, host and
// worker, the model, firmware and serial number, the result (done; cancelled when the technician
// stopped it, or it failed after an answer of Cancel or No; failed), the messages shown and the
// values measured since env.BeginRun(). With a line database, the run also goes into the outbox
// and env.sendRecord is told. A row that cannot be written is told in a warning.
void RecordRun(const ServiceEnvironment& env, const RecordedRun& run);

}  // namespace operations
