#pragma once
// Remote-mode commands: two letters, a 16-bit parameter length, the parameters. Callers place
// them between EnterRemoteMode and ExitRemoteMode.

#include <cstdint>
#include <initializer_list>
#include <optional>

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

// The remote-mode part that opens a service job: enter, job start, MI with its pair (where the
// job has one), SN with each of its pairs, then AC 1 (and PH 3) where the job asks for them, exit.
struct RemotePair {
  int a;
  int b;
};
enum class RemoteExtras { None, AcOnly, AcAndPh };
bool RemoteJobPrologue(printer::CPrinterLink& link, std::optional<RemotePair> mi,
                       std::initializer_list<RemotePair> sn,
                       RemoteExtras extras = RemoteExtras::None);
// The remote-mode part that closes it: enter, job end, exit.
bool RemoteJobEpilogue(printer::CPrinterLink& link);

}  // namespace encoder
