// libFuzzer target: a registry key's value file as the registry stand-in reads it, then a value
// set and read back through the same key.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_files.h"
#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteInput("Registry/HARDWARE/DEVICEMAP/.values", data, size);
  platform::Registry registry(fuzz::ScratchFolder() + "/Registry");
  const std::string key = "HARDWARE\\DEVICEMAP";
  registry.KeyExists(key);
  registry.SubKeys("HARDWARE");
  registry.GetValue(key, "Port");
  registry.LastWriteTime(key);
  // Whatever the file held, a value written is the value read.
  if (registry.SetDword(key, "Fuzz", 0x1234u)) {
    const auto back = registry.GetValue(key, "Fuzz");
    if (!back || std::get<std::uint32_t>(*back) != 0x1234u) std::abort();
  }
  return 0;
}
