#include "operations/printer_chooser.h"

#include "operations/dispatcher.h"
#include "operations/service_record.h"
#include "printer/port_map.h"

namespace operations {

std::vector<AttachedPrinter> AttachedPrinters(const ServiceEnvironment& env) {
  std::vector<AttachedPrinter> printers;
  for (int port = kFirstUsbPort; port <= kLastUsbPort; ++port) {
    const std::unique_ptr<printer::CPrinterLink> link = MakeRunLink(env);
    if (!link->Open(port)) continue;
    // A printer alone on the bench opens on every port; it is listed at its own slot only.
    const int slot = port - kFirstUsbPort + 1;
    if (env.portMap != nullptr && env.portMap->PrinterForSlot(slot) != env.portMap->Slot(slot)) {
      link->Close();
      continue;
    }
    AttachedPrinter attached{port, {}, {}, {}};
    std::string version;
    if (link->ReadRomVersion(version)) attached.model = version.substr(0, 2);
    // The serial number's place in NVRAM is the model's.
    if (link->SetModel(attached.model)) attached.serial = ReadRecordSerial(*link);
    driver::STATUSINF status;
    if (link->GetStatus(status)) attached.status = link->StatusText(status.type);
    link->Close();
    printers.push_back(attached);
  }
  return printers;
}

}  // namespace operations
