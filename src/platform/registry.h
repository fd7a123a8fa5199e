#pragma once
// A small registry kept in files, standing in for the system registry: keys are folders, each
// with its values and its last-write time in one file that is replaced whole (written to a
// temporary file, then renamed), under a lock, so concurrent writers neither tear nor lose it.
// Key paths use '\' between names and are compared without regard to case.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/clock.h"

namespace platform {

using RegistryBinary = std::vector<std::uint8_t>;
using RegistryValue = std::variant<std::string, std::uint32_t, RegistryBinary>;

class Registry {
public:
  // root: the folder that holds the keys. The clock stamps last-write times.
  explicit Registry(std::string root, Clock& clock = DefaultClock());

  // <program folder>/Registry, or the folder named by GRELT_REGISTRY.
  static std::string DefaultRoot(const std::string& programFolder);

  bool CreateKey(const std::string& key);
  bool KeyExists(const std::string& key) const;
  // Deletes the key with all its subkeys.
  bool DeleteKey(const std::string& key);
  // Names of the direct subkeys, sorted.
  std::vector<std::string> SubKeys(const std::string& key) const;

  std::optional<RegistryValue> GetValue(const std::string& key, const std::string& name) const;
  // Each creates the key when needed and stamps its last-write time.
  bool SetString(const std::string& key, const std::string& name, const std::string& value);
  bool SetDword(const std::string& key, const std::string& name, std::uint32_t value);
  bool SetBinary(const std::string& key, const std::string& name, const RegistryBinary& value);
  bool DeleteValue(const std::string& key, const std::string& name);
  // Milliseconds since 1970 of the last change to the key's values.
  std::optional<std::int64_t> LastWriteTime(const std::string& key) const;

private:
  std::string FolderOf(const std::string& key) const;
  bool SetValue(const std::string& key, const std::string& name, RegistryValue value);

  std::string root_;
  Clock& clock_;
};

}  // namespace platform
