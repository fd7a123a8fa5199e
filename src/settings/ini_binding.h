#pragma once
// The table-driven INI reader: a binding table lists section, key, kind of value and where the
// value goes, and LoadIniBindings fills every destination from one file.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace platform {
class ProfileFile;
}

namespace settings {

// The kinds of value, numbered as the tables number them.
enum class IniKind : std::int32_t { Text = 0, Integer = 1, IntegerList = 2, Flag = 3 };

struct TextTarget {
  std::string* dest;
  std::string def;
};
struct IntegerTarget {
  int* dest;
  int def;
};
struct IntegerListTarget {
  std::span<int> dest;  // its size is the list's capacity
  int* count;
  std::string def;
};
struct FlagTarget {
  int* dest;
  int def;
};
// Alternatives in IniKind order, so the kind is the variant's index.
using IniTarget = std::variant<TextTarget, IntegerTarget, IntegerListTarget, FlagTarget>;

struct IniBinding {
  std::string section;
  std::string key;
  IniTarget target;

  IniKind Kind() const { return static_cast<IniKind>(target.index()); }

  static IniBinding Text(std::string section, std::string key, std::string& dest,
                         std::string def = {});
  static IniBinding Integer(std::string section, std::string key, int& dest, int def);
  static IniBinding IntegerList(std::string section, std::string key, std::span<int> dest,
                                int& count, std::string def);
  static IniBinding Flag(std::string section, std::string key, int& dest, int def = 0);
};

// Size of the buffer each value is read into; a longer value is cut to one less than this.
inline constexpr std::uint32_t kIniValueBufferSize = 2048;

// Fills every destination of the table from the file, in table order. Missing files, sections
// and keys give the defaults; nothing is reported.
void LoadIniBindings(std::span<const IniBinding> table, const std::string& path);
// The same over a file already parsed, for callers that read one file through many tables.
void LoadIniBindings(std::span<const IniBinding> table, const platform::ProfileFile& file);

// The value rules, shared with readers that do not go through a table.
// Cuts the value at the first ';' and trims white space from both ends.
std::string_view CutComment(std::string_view value);
// Replaces every two-character sequence backslash-n by CR LF.
std::string ExpandLineBreaks(std::string_view value);
// Integer value: "0x" anywhere means the value, less its first two characters, is hexadecimal;
// otherwise decimal with the leading-digits rule. Returns nothing when no digit is found.
std::optional<int> ParseIniInteger(std::string_view value);

}  // namespace settings
