#pragma once
// One run on a printer as the service record keeps it: the row of the run and the values it
// measured against limits. The same entry goes into the local CSV record, into the outbox of runs
// waiting for the line database, and into the line database itself.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace record {

inline constexpr const char* kRecordDone = "done";
inline constexpr const char* kRecordFailed = "failed";
inline constexpr const char* kRecordCancelled = "cancelled";

inline constexpr const char* kVerdictPass = "pass";
inline constexpr const char* kVerdictFail = "fail";

// A value an operation judged against its limits; either limit may be absent.
struct Measurement {
  std::string name;
  double value = 0;
  std::string unit;  // "" where the value has none
  std::optional<double> low;
  std::optional<double> high;
  std::string verdict;  // kVerdictPass or kVerdictFail

  bool operator==(const Measurement&) const = default;
};

// The measurement of a value against inclusive limits.
Measurement Judge(std::string name, double value, std::string unit, std::optional<double> low,
                  std::optional<double> high);

struct ServiceRecordEntry {
  std::string runId;    // a UUID, unique across stations and time; "" in rows older than it
  std::string time;     // local time, "2026-12-08 14:03:59"
  std::string station;  // line, PC and jig numbers of the settings, "L3-07-J12"
  std::string host;     // the station's host name; "" in rows older than it
  std::string worker;
  std::string model;
  std::string serial;
  std::string firmware;
  int functionNumber = 0;
  std::string title;
  std::string result;  // kRecordDone, kRecordFailed or kRecordCancelled
  int lastError = 0;
  std::vector<std::string> messages;  // as shown, in order
  std::vector<Measurement> measurements;

  bool operator==(const ServiceRecordEntry&) const = default;
};

// A value as the record writes it: the shortest text that reads back as the same number; and
// such a text read back (nothing unless the whole text is a number).
std::string NumberText(double value);
std::optional<double> NumberOf(std::string_view text);

// A new random (version 4) UUID in its usual text form, lower case.
std::string NewRunId();

}  // namespace record
