#pragma once
// Whole-file writes that never destroy what was there, and bounded reads.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes the bytes under a temporary name in the same folder, flushes them to the disk and
// renames the file into place: a failed or interrupted write leaves the previous file as it was.
// False, with nothing changed, when any step fails. Without syncToDisk the bytes are left to the
// system's cache: never a torn file, but a power cut may bring back the previous one.
bool ReplaceFile(const std::string& path, std::string_view bytes, bool syncToDisk = true);

// Files that belong together, replaced as one: every file is written whole under a temporary
// name first, and only then are they renamed into place, in the order given. A failed write
// leaves every previous file as it was; a crash between two renames leaves the first files new
// and the later ones old, so the later ones must be able to tell that they do not belong.
struct FileContent {
  std::string path;
  std::string_view bytes;
};
bool ReplaceFiles(const std::vector<FileContent>& files, bool syncToDisk = true);

// Makes a file size limit (ulimit -f) a full disk to this process: a write past it fails and the
// program says so, instead of the process dying of SIGXFSZ without a word. Called by each program
// at its start.
void TreatFileSizeLimitAsFullDisk();

// Writes all the bytes to an open file, as many calls as it takes; false on the first error.
bool WriteAll(int fd, std::string_view bytes);

// The first maxBytes bytes of a file (fewer when it is shorter); nothing when it cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::string& path,
                                                      std::size_t maxBytes);

}  // namespace platform
