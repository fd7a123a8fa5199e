// libFuzzer target: INI text through the profile reader, every section and key read back the
// ways the program reads them, and the settings binding over the same file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "platform/profile.h"
#include "settings/app_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const platform::ProfileFile profile = platform::ProfileFile::Parse(text);
  std::vector<char> names(size % 512 + 2);
  profile.GetSectionNames(names.data(), static_cast<std::uint32_t>(names.size()));
  char value[64];
  for (const char* section = names.data(); *section != '\0';
       section += std::string(section).size() + 1) {
    profile.GetString(section, "Title", "", value, sizeof value);
    profile.GetString(section, "", "default", value, 1);
  }
  // The whole start-up reading of the settings, with this text as every one of its files.
  fuzz::WriteInput("GRELT02.INI", data, size);
  const settings::AppSettings first = settings::LoadSettings(fuzz::ScratchFolder());
  const std::string language = settings::LanguageFilePath(fuzz::ScratchFolder(), first);
  const std::string parameters = settings::ParameterFilePath(fuzz::ScratchFolder(), first);
  if (language.rfind(fuzz::ScratchFolder(), 0) == 0)
    fuzz::WriteInput(language.substr(fuzz::ScratchFolder().size() + 1), data, size);
  if (parameters.rfind(fuzz::ScratchFolder(), 0) == 0)
    fuzz::WriteInput(parameters.substr(fuzz::ScratchFolder().size() + 1), data, size);
  settings::LoadSettings(fuzz::ScratchFolder());
  return 0;
}
