// libFuzzer target: USB.ini as the port map reads it at start-up, then a refresh that writes it.

#include <cstddef>
#include <cstdint>

#include "fuzz_files.h"
#include "platform/registry.h"
#include "printer/port_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteInput(printer::kPortMapFile, data, size);
  platform::Registry registry(fuzz::ScratchFolder() + "/Registry");
  printer::PortMap map(fuzz::ScratchFolder(), registry, platform::DefaultClock());
  map.LoadAtStartup();
  map.RefreshPortMap();
  return 0;
}
