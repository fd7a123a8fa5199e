#pragma once
// INI files read the way the Windows profile-string functions read them: section and key names
// compared without regard to case, the first matching section and key win, white space around
// names and values dropped, ';' comment lines, LF or CR LF lines, and a missing file read as a
// file without any key. Text is held as UTF-8 whatever the file's encoding (DecodeFileText). Values are copied into fixed buffers
// with the same truncation rules, because callers rely on them.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// One INI file parsed once; lookups are then cheap. Immutable, so it may be shared by threads.
class ProfileFile {
public:
  // Files larger than this are treated as unreadable rather than read into memory.
  static constexpr std::uintmax_t kMaxFileSize = 64u << 20;

  // Reads the file at path (falling back to a case-blind match of its name). A missing or
  // unreadable file gives an empty profile whose Readable() is false.
  static ProfileFile Load(const std::string& path);
  // Parses INI text held in memory.
  static ProfileFile Parse(std::string_view bytes);

  bool Readable() const { return readable_; }

  // Copies the value of key in section, or def when there is none, into buffer (size bytes,
  // always NUL-terminated when size > 0). A value wrapped in matching quotes loses them. Returns
  // the number of characters copied, size - 1 when the text was cut.
  std::uint32_t GetString(std::string_view section, std::string_view key, std::string_view def,
                          char* buffer, std::uint32_t size) const;

  // Copies every section name, each followed by a NUL, and one more NUL after the last. When the
  // list does not fit, it is cut, ends in two NULs, and size - 2 is returned; otherwise the
  // number of characters copied without the final NUL.
  std::uint32_t GetSectionNames(char* buffer, std::uint32_t size) const;

  // The value as a string, or nullptr when the key is absent.
  const std::string* Find(std::string_view section, std::string_view key) const;

private:
  struct Section {
    std::string name;
    std::unordered_map<std::string, std::string> values;  // lower-case key -> first value
  };

  std::vector<Section> sections_;                       // every header, in file order
  std::unordered_map<std::string, std::size_t> index_;  // lower-case name -> first section
  bool readable_ = false;
};

// The single-call forms, each reading the file anew.
std::uint32_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                      std::string_view def, char* buffer, std::uint32_t size,
                                      const std::string& path);
std::uint32_t GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                            const std::string& path);

}  // namespace platform
