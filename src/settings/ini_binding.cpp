#include "settings/ini_binding.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/profile.h"
#include "platform/text.h"

namespace settings {
namespace {

using platform::IsBlank;
using platform::ToLowerAscii;

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads a number the way the C scanners do: leading blanks, an optional sign, for hexadecimal
// an optional "0x", then digits up to the first character that is not one. Decimal values
// saturate at the int range; hexadecimal ones keep their 32-bit pattern (0xFFFFFFFF is -1) and
// saturate at 0xFFFFFFFF.
std::optional<int> Scan(std::string_view text, int base) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (base == 16 && text.substr(i, 2) == "0x" && i + 2 < text.size() &&
      DigitValue(text[i + 2]) < 16) {
    i += 2;
  }
  const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : 0x80000000ull;
  std::uint64_t magnitude = 0;
  std::size_t digits = 0;
  for (; i < text.size() && DigitValue(text[i]) < base; ++i, ++digits) {
    magnitude = std::min<std::uint64_t>(magnitude * base + DigitValue(text[i]), limit);
  }
  if (digits == 0) return std::nullopt;
  if (base == 10) {
    if (negative) return static_cast<int>(-static_cast<std::int64_t>(magnitude));
    return static_cast<int>(std::min<std::uint64_t>(magnitude, std::numeric_limits<int>::max()));
  }
  const auto pattern = static_cast<std::uint32_t>(magnitude);
  return static_cast<int>(negative ? 0u - pattern : pattern);
}

std::optional<int> ParseToken(std::string_view token) {
  if (token.substr(0, 2) == "0x") return Scan(token.substr(2), 16);
  return Scan(token, 10);
}

struct Apply {
  std::string_view value;

  void operator()(const TextTarget& t) const { *t.dest = ExpandLineBreaks(value); }
  void operator()(const IntegerTarget& t) const {
    *t.dest = ParseIniInteger(value).value_or(t.def);
  }
  void operator()(const FlagTarget& t) const {
    *t.dest = ParseIniInteger(value).value_or(t.def) != 0 ? 1 : 0;
  }
  void operator()(const IntegerListTarget& t) const {
    const std::string lower = ToLowerAscii(value);
    std::size_t stored = 0;
    std::string_view rest = lower;
    while (!rest.empty() && stored < t.dest.size()) {
      const auto space = rest.find(' ');
      t.dest[stored++] = ParseToken(rest.substr(0, space)).value_or(0);
      rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    }
    // Tokens beyond the capacity are dropped; the count says how many were stored.
    *t.count = static_cast<int>(stored);
  }
};

std::string_view DefaultText(const IniBinding& binding) {
  if (const auto* t = std::get_if<TextTarget>(&binding.target)) return t->def;
  if (const auto* l = std::get_if<IntegerListTarget>(&binding.target)) return l->def;
  return {};
}

}  // namespace

IniBinding IniBinding::Text(std::string section, std::string key, std::string& dest,
                            std::string def) {
  return {std::move(section), std::move(key), TextTarget{&dest, std::move(def)}};
}

IniBinding IniBinding::Integer(std::string section, std::string key, int& dest, int def) {
  return {std::move(section), std::move(key), IntegerTarget{&dest, def}};
}

IniBinding IniBinding::IntegerList(std::string section, std::string key, std::span<int> dest,
                                   int& count, std::string def) {
  return {std::move(section), std::move(key), IntegerListTarget{dest, &count, std::move(def)}};
}

IniBinding IniBinding::Flag(std::string section, std::string key, int& dest, int def) {
  return {std::move(section), std::move(key), FlagTarget{&dest, def}};
}

std::string_view CutComment(std::string_view value) {
  return platform::TrimBlanks(value.substr(0, value.find(';')));
}

std::string ExpandLineBreaks(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += value[i];
    }
  }
  return out;
}

std::optional<int> ParseIniInteger(std::string_view value) {
  const std::string lower = ToLowerAscii(value);
  if (lower.find("0x") != std::string::npos) {
    return Scan(std::string_view(lower).substr(std::min<std::size_t>(2, lower.size())), 16);
  }
  return Scan(lower, 10);
}

void LoadIniBindings(std::span<const IniBinding> table, const platform::ProfileFile& file) {
  std::array<char, kIniValueBufferSize> buffer;
  for (const IniBinding& binding : table) {
    buffer.fill('\0');
    file.GetString(binding.section, binding.key, DefaultText(binding), buffer.data(),
                   static_cast<std::uint32_t>(buffer.size()));
    std::visit(Apply{CutComment(buffer.data())}, binding.target);
  }
}

void LoadIniBindings(std::span<const IniBinding> table, const std::string& path) {
  LoadIniBindings(table, platform::ProfileFile::Load(path));
}

}  // namespace settings
