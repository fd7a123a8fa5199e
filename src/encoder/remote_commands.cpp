#include "encoder/remote_commands.h"

#include <initializer_list>
#include <vector>

#include "driver/command_codes.h"
#include "printer/printer_link.h"

namespace encoder {
namespace {

namespace remote = driver::remote;

std::uint8_t Low(int value) { return static_cast<std::uint8_t>(value); }

bool Remote(printer::CPrinterLink& link, std::string_view name,
            std::initializer_list<std::uint8_t> params) {
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(name[0]),
                                     static_cast<std::uint8_t>(name[1]),
                                     static_cast<std::uint8_t>(params.size()), 0x00};
  bytes.insert(bytes.end(), params.begin(), params.end());
  return link.AppendJob(bytes.data(), bytes.size());
}

}  // namespace

bool EnterRemoteMode(printer::CPrinterLink& link) {
  static constexpr std::uint8_t kBytes[] = {0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R',
                                            'E',  'M',  'O',  'T',  'E',  '1'};
  return link.AppendJob(kBytes, sizeof kBytes);
}

bool ExitRemoteMode(printer::CPrinterLink& link) {
  static constexpr std::uint8_t kBytes[] = {0x1B, 0x00, 0x00, 0x00};
  return link.AppendJob(kBytes, sizeof kBytes);
}

bool RemoteJobStart(printer::CPrinterLink& link) {
  return Remote(link, remote::kJobStart, {0x00, 0x00, 0x00, 0x00});
}

bool RemoteJobEnd(printer::CPrinterLink& link) {
  return Remote(link, remote::kLoad, {}) && RemoteEndOnly(link);
}

bool RemoteEndOnly(printer::CPrinterLink& link) { return Remote(link, remote::kJobEnd, {0x00}); }

bool RemoteAC(printer::CPrinterLink& link, int n) {
  return Remote(link, remote::kAC, {0x00, Low(n)});
}

bool RemoteMI(printer::CPrinterLink& link, int a, int b) {
  return Remote(link, remote::kMI, {0x00, 0x01, Low(a), Low(b)});
}

bool RemotePH(printer::CPrinterLink& link, int n) {
  return Remote(link, remote::kPH, {0x00, Low(n)});
}

bool RemotePP(printer::CPrinterLink& link, int a, int b) {
  return Remote(link, remote::kPP, {0x00, Low(a), Low(b)});
}

bool RemoteSN(printer::CPrinterLink& link, int a, int b) {
  return Remote(link, remote::kSN, {0x00, Low(a), Low(b)});
}

bool RemoteAL2(printer::CPrinterLink& link, int n) {
  return Remote(link, remote::kAL, {0x00, 0x02, Low(n)});
}

bool RemoteAL30(printer::CPrinterLink& link, int a, int value) {
  return Remote(link, remote::kAL, {0x00, 0x30, Low(a), Low(value), Low(value >> 8)});
}

bool RemoteJobPrologue(printer::CPrinterLink& link, std::optional<RemotePair> mi,
                       std::initializer_list<RemotePair> sn, RemoteExtras extras) {
  bool ok = EnterRemoteMode(link) && RemoteJobStart(link) && (!mi || RemoteMI(link, mi->a, mi->b));
  for (const RemotePair& pair : sn) ok = ok && RemoteSN(link, pair.a, pair.b);
  return ok && (extras == RemoteExtras::None || RemoteAC(link, 1)) &&
         (extras != RemoteExtras::AcAndPh || RemotePH(link, 3)) && ExitRemoteMode(link);
}

bool RemoteJobEpilogue(printer::CPrinterLink& link) {
  return EnterRemoteMode(link) && RemoteJobEnd(link) && ExitRemoteMode(link);
}

}  // namespace encoder
