#pragma once
// The printers plugged into the four USB slots, as the start screen lists them for the technician
// to choose which one the service dialogs work on.

#include <string>
#include <vector>

#include "operations/service_environment.h"

namespace operations {

inline constexpr int kFirstUsbPort = 11;
inline constexpr int kLastUsbPort = 14;

struct AttachedPrinter {
  int port = 0;
  std::string model;   // "" when the firmware version could not be read
  std::string serial;  // "" on a new board
  std::string status;  // the status text of the settings
};

// Each slot whose printer answers, read over a session of its own.
std::vector<AttachedPrinter> AttachedPrinters(const ServiceEnvironment& env);

}  // namespace operations
