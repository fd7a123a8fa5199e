#pragma once
// The USB port map: up to four printers keep their slot (port numbers 11 to 14) from one run to
// the next. Attached printers are discovered in the registry, ordered by when they were plugged
// in, and the map is kept in "USB.ini" beside the program, taken exclusively while read or written.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/registry.h"

namespace printer {

inline constexpr const char* kPortMapFile = "USB.ini";
inline constexpr int kPortMapSlots = 4;

using PortSlots = std::array<std::string, kPortMapSlots>;

// The symbolic links of up to four present USB printers, the longest attached first; with
// `attached`, the links of every attached printer of the series, a fifth one too.
std::vector<std::string> DiscoverUsbPrinters(const platform::Registry& registry,
                                             std::vector<std::string>* attached = nullptr);

class PortMap {
public:
  // How often a locked USB.ini is tried, and how long between tries.
  static constexpr int kLockTries = 20;
  static constexpr int kLockRetryMs = 100;

  PortMap(std::string programFolder, platform::Registry& registry, platform::Clock& clock);

  // Reads USB.ini into the previous map; false when it is missing or stays locked.
  bool ReadPortMapFile();
  // Writes the previous map to USB.ini (made when missing, not truncated); false when it cannot
  // be opened or stays locked.
  bool WritePortMapFile();
  // Start-up: the map as USB.ini keeps it, so that a printer that is not plugged in keeps its
  // slot. A missing file leaves the map empty; the first refresh writes it.
  bool LoadAtStartup();
  // Discovers the printers, gives each its slot and writes USB.ini.
  void RefreshPortMap();

  // The link of slot 1 to 4, or "" when the slot is empty or out of range.
  std::string Slot(int slot) const;
  // What a port of the slot opens: the slot's printer; when the slot remembers a printer that
  // is not attached now (exchanged) and exactly one printer is, that one, so that a printer
  // alone on the bench is reached on the configured port whatever slot the map gave it. An
  // empty slot opens nothing. As of the last refresh.
  std::string PrinterForSlot(int slot) const;
  const PortSlots& Slots() const { return slots_; }
  const PortSlots& Previous() const { return previous_; }
  std::string FilePath() const;

private:
  std::optional<std::size_t> SlotForNewPrinter(const std::vector<std::string>& links,
                                               const std::vector<std::string>& attached) const;

  std::string programFolder_;
  platform::Registry& registry_;
  platform::Clock& clock_;
  PortSlots slots_;
  PortSlots previous_;
  std::vector<std::string> attached_;  // every attached printer at the last refresh
};

}  // namespace printer
