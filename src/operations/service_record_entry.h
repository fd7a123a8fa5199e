#pragma once
// One row of the service record: a run on a printer, as the record keeps it.

#include <string>
#include <vector>

namespace operations {

inline constexpr const char* kRecordDone = "done";
inline constexpr const char* kRecordFailed = "failed";
inline constexpr const char* kRecordCancelled = "cancelled";

struct ServiceRecordEntry {
  std::string time;     // local time, "2026-12-08 14:03:59"
  std::string station;  // line, PC and jig numbers of the settings
  std::string worker;
  std::string model;
  std::string serial;
  std::string firmware;
  int functionNumber = 0;
  std::string title;
  std::string result;  // kRecordDone, kRecordFailed or kRecordCancelled
  int lastError = 0;
  std::vector<std::string> messages;  // as shown, in order

  bool operator==(const ServiceRecordEntry&) const = default;
};

}  // namespace operations
