#pragma once
// Runs as the record keeps them, made up for the record's tests: a station, a worker and a model
// filled in, a new run id each; and counting what a written page holds.

#include <string>

#include "record/run_entry.h"

namespace testing_support {

// A done run of the printer at the station "L3-07-J12" on host "station-3".
inline record::ServiceRecordEntry SampleRun(const std::string& serial, const std::string& time,
                                            int function) {
  record::ServiceRecordEntry e;
  e.runId = record::NewRunId();
  e.time = time;
  e.station = "L3-07-J12";
  e.host = "station-3";
  e.worker = "40211";
  e.model = "LW";
  e.serial = serial;
  e.firmware = "LW08A0";
  e.functionNumber = function;
  e.title = "CR motor load";
  e.result = record::kRecordDone;
  return e;
}

inline std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

}  // namespace testing_support
