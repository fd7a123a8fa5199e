#pragma once
// Remote-mode commands: two letters, a 16-bit parameter length, the parameters. Callers place
// them between EnterRemoteMode and ExitRemoteMode.

#include <cstdint>

namespace printer {
class CPrinterLink;
}

namespace encoder {

bool EnterRemoteMode(printer::CPrinterLink& link);
bool ExitRemoteMode(printer::CPrinterLink& link);
bool RemoteJobStart(printer::CPrinterLink& link);
bool RemoteJobEnd(printer::CPrinterLink& link);
bool RemoteEndOnly(printer::CPrinterLink& link);
bool RemoteAC(printer::CPrinterLink& link, int n);
bool RemoteMI(printer::CPrinterLink& link, int a, int b);
bool RemotePH(printer::CPrinterLink& link, int n);
bool RemotePP(printer::CPrinterLink& link, int a, int b);
bool RemoteSN(printer::CPrinterLink& link, int a, int b);
bool RemoteAL2(printer::CPrinterLink& link, int n);
bool RemoteAL30(printer::CPrinterLink& link, int a, int value);

}  // namespace encoder
