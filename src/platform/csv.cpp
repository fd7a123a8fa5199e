#include "platform/csv.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {

bool NeedsQuotes(std::string_view field) {
  return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

// Reads a record from `at`; false when the text ends before the record's line break.
bool ReadRecord(std::string_view text, std::size_t& at, CsvRecord& record) {
  std::string field;
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at++];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (at < text.size() && text[at] == '"') {
        field += '"';
        ++at;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
    } else if (c == '\n' || (c == '\r' && at < text.size() && text[at] == '\n')) {
      if (c == '\r') ++at;
      record.push_back(std::move(field));
      return true;
    } else if (c != '\r') {
      field += c;
    }
  }
  return false;
}

// The whole file, or false.
bool ReadAll(int fd, std::string& text) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return false;
  text.resize(static_cast<std::size_t>(info.st_size));
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = ::pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

// The file at the path opened for appending (made when `create`), with its lock held: the file
// that is at the path once the lock is had, since a header upgrade may have replaced the file
// while this one waited. -1 with errno set when it cannot be opened.
int OpenLocked(const std::string& path, bool create) {
  for (;;) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    if (fd < 0) return -1;
    struct stat held {};
    struct stat there {};
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &held) != 0) {
      const int reason = errno;
      ::close(fd);
      errno = reason;
      return -1;
    }
    if (::stat(path.c_str(), &there) == 0 && there.st_ino == held.st_ino &&
        there.st_dev == held.st_dev)
      return fd;
    ::close(fd);
  }
}

bool Failed(std::string* error, const char* what, const std::string& path) {
  if (error) *error = std::string(what) + " " + path + ": " + std::strerror(errno);
  return false;
}

}  // namespace

std::string FormatCsvRecord(const CsvRecord& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    if (!NeedsQuotes(fields[i])) {
      line += fields[i];
      continue;
    }
    line += '"';
    for (const char c : fields[i]) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line + "\r\n";
}

CsvText ParseCsv(std::string_view text) {
  CsvText csv;
  std::size_t at = 0;
  while (at < text.size()) {
    CsvRecord record;
    if (!ReadRecord(text, at, record)) break;
    csv.records.push_back(std::move(record));
    csv.completeLength = at;
  }
  return csv;
}

bool AppendCsvRecord(const std::string& path, const CsvRecord& header, const CsvRecord& fields,
                     std::string* error) {
  return AppendCsvRecords(path, header, std::span(&fields, 1), error);
}

bool AppendCsvRecords(const std::string& path, const CsvRecord& header,
                      std::span<const CsvRecord> records, std::string* error) {
  const auto fail = [&](const char* what) { return Failed(error, what, path); };
  const int fd = OpenLocked(path, true);
  if (fd < 0) return fail("Cannot open");
  std::string text;
  if (!ReadAll(fd, text)) {
    ::close(fd);
    return fail("Cannot read");
  }
  // What a crash or a full disk left of the last record goes; every complete one stays.
  const std::size_t whole = ParseCsv(text).completeLength;
  if (whole < text.size() && ::ftruncate(fd, static_cast<off_t>(whole)) != 0) {
    ::close(fd);
    return fail("Cannot mend");
  }
  std::string bytes = whole == 0 ? FormatCsvRecord(header) : "";
  for (const CsvRecord& record : records) bytes += FormatCsvRecord(record);
  if (!WriteAll(fd, bytes) || ::fdatasync(fd) != 0) {
    const int reason = errno;
    (void)!::ftruncate(fd, static_cast<off_t>(whole));  // no half record stays behind
    ::close(fd);
    errno = reason;
    return fail("Cannot append to");
  }
  return ::close(fd) == 0 || fail("Cannot close");
}

bool UpgradeCsvHeader(const std::string& path, const CsvRecord& oldHeader,
                      const CsvRecord& newHeader, std::string* error) {
  const int fd = OpenLocked(path, false);
  if (fd < 0) return errno == ENOENT || Failed(error, "Cannot open", path);
  std::string text;
  if (!ReadAll(fd, text)) {
    ::close(fd);
    return Failed(error, "Cannot read", path);
  }
  CsvText csv = ParseCsv(text);
  bool upgraded = true;
  if (!csv.records.empty() && csv.records.front() == oldHeader) {
    std::string bytes = FormatCsvRecord(newHeader);
    for (std::size_t i = 1; i < csv.records.size(); ++i) {
      CsvRecord& record = csv.records[i];
      if (record.size() < newHeader.size()) record.resize(newHeader.size());
      bytes += FormatCsvRecord(record);
    }
    // Replaced while the old file's lock is held; appenders waiting on it then find the new one.
    upgraded = ReplaceFile(path, bytes) || Failed(error, "Cannot rewrite", path);
  }
  ::close(fd);
  return upgraded;
}

}  // namespace platform
