#pragma once
// The runs waiting for the line database: one file per run in a folder beside the local record,
// "<unix ms>-<sequence>-<run id>.csv" (the run's row, then its measurements), written whole when
// the run is recorded and removed once the database holds the run. Runs go out in the order they
// were recorded. A run sent again after a crash between the database's commit and the removal is
// taken once: the database keys runs by their id.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/run_entry.h"

namespace record {

class Outbox {
public:
  // The outbox of the local record in this CSV folder.
  explicit Outbox(const std::string& csvFolder);

  const std::string& Folder() const { return folder_; }

  // Puts the run in, whole or not at all; false, with the reason, when it could not be written.
  bool Put(const ServiceRecordEntry& entry, std::int64_t unixMillis, std::string* error) const;
  // The files of the waiting runs, oldest first.
  std::vector<std::string> Waiting() const;
  // The run of a waiting file; nothing when the file is gone or is not a run.
  std::optional<ServiceRecordEntry> Read(const std::string& file) const;
  // The database holds the run.
  void Sent(const std::string& file) const;
  // A file that holds no run is set aside ("<name>.bad") rather than block those after it.
  void SetAside(const std::string& file) const;

  // What stopped the last attempt to send, kept for `record status`; nothing after one that
  // emptied the outbox.
  void SetLastError(const std::optional<std::string>& error) const;
  std::optional<std::string> LastError() const;

private:
  std::string folder_;
};

}  // namespace record
