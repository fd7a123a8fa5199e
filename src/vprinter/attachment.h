#pragma once
// Plugging virtual printers in and out: each lives in <program folder>/VirtualPrinters/<name>,
// and while plugged in it has a USB printer entry in the registry, as a real printer would.

#include <optional>
#include <string>
#include <vector>

#include "driver/device_directory.h"
#include "platform/clock.h"

namespace vprinter {

struct VirtualPrinterInfo {
  std::string name;
  std::string folder;
  driver::Attachment attachment;
  bool process = false;  // served by a vprinterd process, reached over its socket
};

// A printer served by its own process (vprinterd) keeps, in its folder, where it listens
// ("unix:<path>" or "tcp:<host>:<port>", written once it does) and the process's id.
inline constexpr const char* kServerEndpointFile = "vprinterd.endpoint";
inline constexpr const char* kServerPidFile = "vprinterd.pid";
inline constexpr const char* kServerSocketFile = "vprinterd.sock";
// The loopback port of its line printer daemon, when it serves one.
inline constexpr const char* kServerLpdFile = "vprinterd.lpd";
// The process id of the printer's server while it runs, else 0.
int ServerPid(const VirtualPrinterInfo& printer);
// Whether a process runs (one that has ended, waited for or not, does not).
bool ProcessRunning(int pid);

// The folder that holds the virtual printers of a program folder.
std::string VirtualPrintersFolder(const std::string& programFolder);
// The link a virtual printer of that name appears under: the instance part is 10 to 20
// characters made from the name.
std::string LinkFor(const std::string& name);

// Makes (or takes, when it exists) the printer of that name, stamps its model on a new one, and
// plugs it in. With newBoard the printer's main board is exchanged first: whatever it held is
// replaced by a new board of the model (NewBoardImage). With process the printer is reached
// through its own server process (started apart) instead of in the process that opens it. Fails
// with the reason in *error for a bad name or a model that is not two letters.
std::optional<VirtualPrinterInfo> AttachVirtualPrinter(driver::DeviceDirectory& directory,
                                                       const std::string& programFolder,
                                                       const std::string& model,
                                                       const std::string& name, int port,
                                                       platform::Clock& clock, std::string* error,
                                                       bool newBoard = false, bool process = false);
bool DetachVirtualPrinter(driver::DeviceDirectory& directory, const std::string& name);
// The plugged-in virtual printers.
std::vector<VirtualPrinterInfo> AttachedVirtualPrinters(const driver::DeviceDirectory& directory);

}  // namespace vprinter
