#pragma once
// Starting and stopping the server process (vprinterd) of a virtual printer attached with
// --process.

#include "vprinter/attachment.h"

namespace cli {

// Starts the printer's server unless it runs, and waits until it listens; its process id. Throws
// with the reason when it does not come up.
int StartPrinterProcess(const vprinter::VirtualPrinterInfo& printer, int tcpPort);
// Ends the printer's server, if it runs, and waits until it has gone.
void StopPrinterProcess(const vprinter::VirtualPrinterInfo& printer);

}  // namespace cli
