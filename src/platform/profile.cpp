#include "platform/profile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/paths.h"
#include "platform/text.h"

namespace platform {
namespace {

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::uint32_t CopyCut(std::string_view text, char* buffer, std::uint32_t size) {
  if (size == 0 || buffer == nullptr) return 0;
  const std::uint32_t count =
      static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), size - 1));
  if (count > 0) std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

}  // namespace

ProfileFile ProfileFile::Load(const std::string& path) {
  const std::string resolved = ResolveCaseBlind(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(resolved, error) ||
      std::filesystem::file_size(resolved, error) > kMaxFileSize || error) {
    return {};
  }
  std::ifstream in(resolved, std::ios::binary);
  if (!in) return {};
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  return Parse(text);
}

ProfileFile ProfileFile::Parse(std::string_view bytes) {
  ProfileFile profile;
  profile.readable_ = true;
  const std::string decoded = DecodeFileText(bytes);
  std::string_view text = decoded;

  Section* current = nullptr;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      line.remove_prefix(1);
      const auto close = line.find(']');
      const std::string name(TrimBlanks(line.substr(0, close)));
      profile.index_.try_emplace(ToLowerAscii(name), profile.sections_.size());
      profile.sections_.push_back(Section{name, {}});
      current = &profile.sections_.back();
      continue;
    }
    const auto equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty()) continue;
    current->values.try_emplace(ToLowerAscii(key), TrimBlanks(line.substr(equals + 1)));
  }
  return profile;
}

const std::string* ProfileFile::Find(std::string_view section, std::string_view key) const {
  const auto found = index_.find(ToLowerAscii(TrimBlanks(section)));
  if (found == index_.end()) return nullptr;
  const Section& s = sections_[found->second];
  const auto value = s.values.find(ToLowerAscii(TrimBlanks(key)));
  return value == s.values.end() ? nullptr : &value->second;
}

std::uint32_t ProfileFile::GetString(std::string_view section, std::string_view key,
                                     std::string_view def, char* buffer, std::uint32_t size) const {
  if (const std::string* value = Find(section, key)) return CopyCut(Unquote(*value), buffer, size);
  while (!def.empty() && IsBlank(def.back())) def.remove_suffix(1);
  return CopyCut(def, buffer, size);
}

std::uint32_t ProfileFile::GetSectionNames(char* buffer, std::uint32_t size) const {
  if (buffer == nullptr || size == 0) return 0;
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  std::uint32_t pos = 0;
  for (const Section& s : sections_) {
    // Room for the name, its NUL and the list's final NUL.
    if (pos + s.name.size() + 2 > size) {
      const std::uint32_t room = pos < size - 2 ? size - 2 - pos : 0;
      if (room > 0) std::memcpy(buffer + pos, s.name.data(), room);
      buffer[size - 2] = '\0';
      buffer[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(buffer + pos, s.name.data(), s.name.size());
    pos += static_cast<std::uint32_t>(s.name.size());
    buffer[pos++] = '\0';
  }
  buffer[pos] = '\0';
  if (pos == 0 && size > 1) buffer[1] = '\0';
  return pos;
}

std::uint32_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                      std::string_view def, char* buffer, std::uint32_t size,
                                      const std::string& path) {
  return ProfileFile::Load(path).GetString(section, key, def, buffer, size);
}

std::uint32_t GetPrivateProfileSectionNames(char* buffer, std::uint32_t size,
                                            const std::string& path) {
  return ProfileFile::Load(path).GetSectionNames(buffer, size);
}

}  // namespace platform
