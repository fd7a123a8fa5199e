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

// The first maxBytes bytes of a file (fewer when it is shorter); nothing when it cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadFileHead(const std::string& path,
                                                      std::size_t maxBytes);

}  // namespace platform
