// Remote-mode commands: the job frame is noted in the log, the settings are taken silently, and
// the nozzle check prints the printer's own pattern.

#include "vprinter/command_table.h"

namespace vprinter {

void AddRemoteCommands(CommandTable& table) {
  namespace remote = driver::remote;
  for (const std::string_view frame : {remote::kJobStart, remote::kJobEnd}) {
    table.Add(frame, [frame](PrinterContext& printer, const Bytes&) {
      printer.Note("remote " + std::string(frame));
    });
  }
  for (const std::string_view setting : {remote::kLoad, remote::kAC, remote::kMI, remote::kPH,
                                         remote::kPP, remote::kSN, remote::kAL})
    table.Add(setting, [](PrinterContext&, const Bytes&) {});
  table.Add(remote::kNozzleCheck, [](PrinterContext& printer, const Bytes&) {
    printer.Note("remote NC: the printer's own nozzle check");
    printer.PrintOwnNozzleCheck();
  });
}

}  // namespace vprinter
