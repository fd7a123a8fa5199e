#pragma once
// Starting and stopping the server process (vprinterd) of a virtual printer attached with
// --process.

#include "vprinter/attachment.h"

namespace cli {

// Starts the printer's server unless it runs, and waits until it listens; its process id. Throws
// with the reason when it does not come up. tcpPort and lpdPort -1: none (the Unix socket; no
// line printer daemon).
int StartPrinterProcess(const vprinter::VirtualPrinterInfo& printer, int tcpPort, int lpdPort);
// The loopback port of the line printer daemon of a running server, else 0.
int PrinterLpdPort(const vprinter::VirtualPrinterInfo& printer);
// Ends the printer's server, if it runs, and waits until it has gone.
void StopPrinterProcess(const vprinter::VirtualPrinterInfo& printer);

}  // namespace cli
