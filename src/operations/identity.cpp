// Identity values: head ID, MAC address, serial number, the printer clock and the service flag.
//
// Page values read on selection:
//   10080                head ID (kind 1) into the printer information
//   10220                MAC address: six bytes at 114
//   10230                serial number: ten characters of production NVRAM at 66
//   10240, 10241, 20060  service flag: the byte at 11632 plus one (0 when it cannot be read)
// Operations:
//   310080  ReadHeadIdInfo        310220  ReadMacAddress      310230  ReadSerialNumber
//   310210  ReadPrinterClock      110210  SetPrinterClock     210210  StampClockReference
//   310241  ReadServiceFlag       210241  ToggleServiceFlag
//   110220  WriteMacAddress       110230  WriteSerialNumber     110080  RegisterHeadId

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "encoder/factory_commands.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

using namespace driver::nvram;

void ReadHeadIdValue(OperationRun& run) { run.link.ReadHeadId(run.request.printerInfo.HeadId, 1); }

// The serial number page shows the number the printer holds from the moment it is selected.

void ReadMacValues(OperationRun& run) {
  for (int k = 0; k < kMacLength; ++k) {
    std::uint8_t byte = 0;
    if (run.link.ReadCtrlNvram(kMacAddress + k, byte))
      run.request.shownValues[static_cast<std::size_t>(k)] = byte;
  }
}

void ReadSerialValue(OperationRun& run) {
  if (run.link.ReadPrdString(kSerialNumber, kSerialLength, run.request.printerInfo.SerialNo))
    run.request.outputText = run.request.printerInfo.SerialNo;
}

void ReadServiceFlagValue(OperationRun& run) {
  std::uint8_t byte = 0;
  run.request.shownValues[0] = run.link.ReadCtrlNvram(kServiceFlag, byte) ? byte + 1 : 0;
}

constexpr int kMsgHeadIdRegistered = 11008001;
constexpr int kMsgAskClock = 11021001;
constexpr int kMsgAskServiceFlag = 11024101;
constexpr int kMsgAskMac = 11022001;
constexpr int kMsgAskSerial = 11023001;
constexpr int kMsgSerialAlreadySet = 91023001;

bool ReadHeadIdInfo(OperationRun& run) {
  std::string id;
  if (!run.link.ReadHeadId(id, 1)) return Show(run, kMsgPrinterFailed, false);
  run.request.outputText = id;
  run.request.printerInfo.HeadId = id;
  return true;
}

bool ReadMacAddress(OperationRun& run) {
  std::uint8_t mac[kMacLength];
  if (!run.link.ReadPrdNvramMulti(kMacAddress, kMacLength, mac)) return false;
  for (int k = 0; k < kMacLength; ++k)
    run.request.shownValues[static_cast<std::size_t>(k)] = mac[k];
  return true;
}

bool ReadSerialNumber(OperationRun& run) {
  std::string serial;
  if (!run.link.ReadPrdString(kSerialNumber, kSerialLength, serial))
    return Show(run, kMsgNotAccepted, false);
  run.request.outputText = serial;
  run.request.printerInfo.SerialNo = serial;
  return true;
}

// The printer's clock in the page's six fields (two-digit year first), and as the reference time
// the clock page compares with.
bool ReadPrinterClock(OperationRun& run) {
  std::string text;
  if (!run.link.ReadRtc(text)) return false;
  int f[6] = {};
  if (std::sscanf(text.c_str(), "%2d%2d%2d%2d%2d%2d", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]) !=
      6)
    return false;
  for (std::size_t k = 0; k < 6; ++k) run.request.shownValues[k] = f[k];
  std::tm local{};
  local.tm_year = f[0] + 100;
  local.tm_mon = f[1] - 1;
  local.tm_mday = f[2];
  local.tm_hour = f[3];
  local.tm_min = f[4];
  local.tm_sec = f[5];
  local.tm_isdst = -1;  // daylight saving as the system decides
  run.request.clockReference = static_cast<std::int64_t>(std::mktime(&local));
  return true;
}

bool SetPrinterClock(OperationRun& run) {
  if (run.env.catalogue.ShowMessageById(kMsgAskClock, ui::kOkCancel) == ui::kAnswerCancel)
    return false;
  const auto& v = run.request.enteredValues;
  char text[32];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", v[0], v[1], v[2], v[3], v[4], v[5]);
  std::string setValue;
  if (!encoder::Factory7C_639CB1(run.link, text) || !run.link.FlushJob() ||
      !run.link.ReadRtcSetValue(setValue))
    return false;
  if (setValue != text) return ReadBackDiffers(run);
  run.request.done = 1;
  return Show(run, kMsgDone, true);
}

// Run by the network worker: the moment the technician pressed the button.
bool StampClockReference(OperationRun& run) {
  run.request.clockReference = run.env.clock.UnixSeconds();
  return true;
}

bool ReadServiceFlag(OperationRun& run) {
  std::uint8_t byte = 0;
  const bool read = run.link.ReadCtrlNvram(kServiceFlag, byte);
  run.request.shownValues[0] = read ? byte + 1 : 0;
  return read;
}

// Shown value 0 (unread) or 1 (flag 0) switches the flag on, anything else off.
bool ToggleServiceFlag(OperationRun& run) {
  if (run.env.catalogue.ShowMessageById(kMsgAskServiceFlag, ui::kOkCancel) == ui::kAnswerCancel)
    return false;
  const std::uint8_t value = run.request.shownValues[0] < 2 ? 1 : 0;
  if (!run.link.WriteCtrlNvram(kServiceFlag, value)) return Show(run, kMsgNotAccepted, false);
  std::uint8_t back = 0;
  const bool read = run.link.ReadCtrlNvram(kServiceFlag, back);
  if (!read || back != value) {
    run.request.shownValues[0] = 0;
    return read ? ReadBackDiffers(run) : Show(run, kMsgReadBackDiffers, false);
  }
  run.request.shownValues[0] = back + 1;
  run.request.done = 1;
  return Show(run, kMsgWritten, true);
}

// The program's own addresses only, unless the page's override is ticked (selector).
bool MacAllowed(const OperationRequest& request) {
  if (request.selector != 0) return true;
  const auto& v = request.enteredValues;
  const auto& prefix = driver::kMacVendorPrefix;
  const std::uint32_t station =
      static_cast<std::uint32_t>(((v[3] & 0xFF) << 16) | ((v[4] & 0xFF) << 8) | (v[5] & 0xFF));
  return v[0] == prefix[0] && v[1] == prefix[1] && v[2] == prefix[2] &&
         station >= driver::kMacStationFirst && station <= driver::kMacStationLast;
}

bool WriteMacAddress(OperationRun& run) {
  if (!MacAllowed(run.request)) return Show(run, kMsgInvalidInput, false);
  if (run.env.catalogue.ShowMessageById(kMsgAskMac, ui::kOkCancel) == ui::kAnswerCancel)
    return false;
  const auto& v = run.request.enteredValues;
  bool queued = true;
  for (int k = 0; k < kMacLength; ++k)
    queued =
        queued && run.link.WritePrdNvram(kMacAddress + k,
                                         static_cast<std::uint8_t>(v[static_cast<std::size_t>(k)]));
  if (!queued || !encoder::Factory7C_08F704(run.link, 0) || !run.link.FlushJob())
    return Show(run, kMsgNotAccepted, false);
  std::uint8_t back[kMacLength];
  if (!run.link.ReadPrdNvramMulti(kMacAddress, kMacLength, back))
    return Show(run, kMsgNotAccepted, false);
  for (int k = 0; k < kMacLength; ++k) {
    if (back[k] != static_cast<std::uint8_t>(v[static_cast<std::size_t>(k)]))
      return ReadBackDiffers(run);
  }
  for (std::size_t k = 0; k < kMacLength; ++k) run.request.shownValues[k] = back[k];
  run.request.done = 1;
  return Show(run, kMsgDone, true);
}

// The long serial number the printer keeps beside the serial: the first eight characters as
// lower-case hexadecimal codes, then the ninth and tenth.
std::string SerialCheckText(const std::string& serial) {
  std::string check;
  char hex[4];
  for (std::size_t i = 0; i < 8; ++i) {
    std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned char>(serial[i]));
    check += hex;
  }
  return check + serial.substr(8, 2);
}

bool SendAndReadBack(OperationRun& run, int address, int length, std::string& text) {
  return run.link.FlushJob() && run.link.ReadPrdString(address, length, text);
}

// A serial number is written once: a board that has one keeps it.
bool WriteSerialNumber(OperationRun& run) {
  const std::string& input = run.request.inputText;
  if (input.size() < static_cast<std::size_t>(kSerialLength))
    return Show(run, kMsgInvalidInput, false);
  if (run.env.catalogue.ShowMessageById(kMsgAskSerial, ui::kOkCancel) == ui::kAnswerCancel)
    return false;
  std::uint8_t present[kSerialLength];
  if (!run.link.ReadCtrlNvramMulti(kSerialNumber, kSerialLength, present))
    return Show(run, kMsgNotAccepted, false);
  if (std::any_of(std::begin(present), std::end(present), [](std::uint8_t b) { return b != 0; }))
    return Show(run, kMsgSerialAlreadySet, false);
  const std::string serial = input.substr(0, kSerialLength);
  std::string back;
  if (!encoder::Factory7C_2BD495(run.link, serial) || !encoder::Factory7C_08F704(run.link, 0) ||
      !SendAndReadBack(run, kSerialNumber, kSerialLength, back))
    return Show(run, kMsgNotAccepted, false);
  if (back != serial) return ReadBackDiffers(run);
  const std::string check = SerialCheckText(serial);
  if (!encoder::Factory7C_23DC91(run.link, check) ||
      !SendAndReadBack(run, kLongSerialNumber, kLongSerialLength, back))
    return Show(run, kMsgNotAccepted, false);
  if (back != check) return ReadBackDiffers(run);
  run.request.outputText = serial;
  run.request.done = 1;
  return Show(run, kMsgWritten, true);
}

// The head ID of an exchanged head, as typed from its label: registered, read back and checked
// against the text and the printer's registration flag.
bool RegisterHeadId(OperationRun& run) {
  constexpr int kRegister = 3;
  printer::CPrinterLink& link = run.link;
  const std::string& id = run.request.inputText;
  if (!link.WriteHeadId(kRegister, id) || !encoder::Factory7D_26D913(link, 0) ||
      !encoder::Factory7C_08F704(link, 0) || !link.FlushJob())
    return false;
  std::string back;
  std::uint8_t registered = 0;
  const bool read = link.ReadHeadId(back, 1);
  run.request.outputText = back;
  const bool registeredAsTyped =
      read && back == id && link.ReadPrdNvram(kHeadIdRegistered, registered) && registered == 1;
  // The judgement as a measurement, 1 when it passed, once there was a head ID to judge.
  if (read)
    run.env.measurements.Add(
        record::Judge("Head ID registered", registeredAsTyped ? 1 : 0, "", 1, 1));
  if (!registeredAsTyped) {
    link.SetLastError(printer::kReadBackDiffers);
    return false;
  }
  run.env.catalogue.ShowMessageById(kMsgHeadIdRegistered, ui::kOk);
  if (!encoder::Factory7C_03FC81(link) || !link.FlushJob()) return false;
  run.request.done = 1;
  return true;
}

}  // namespace

void AddIdentityOperations(OperationTable& table) {
  table.Add(110080, "RegisterHeadId", RegisterHeadId);
  table.Add(110220, "WriteMacAddress", WriteMacAddress);
  table.Add(110230, "WriteSerialNumber", WriteSerialNumber);
  table.Add(310080, "ReadHeadIdInfo", ReadHeadIdInfo);
  table.Add(310220, "ReadMacAddress", ReadMacAddress);
  table.Add(310230, "ReadSerialNumber", ReadSerialNumber);
  table.Add(310210, "ReadPrinterClock", ReadPrinterClock);
  table.Add(110210, "SetPrinterClock", SetPrinterClock);
  table.Add(kStampClockReference, "StampClockReference", StampClockReference);
  table.Add(310241, "ReadServiceFlag", ReadServiceFlag);
  table.Add(210241, "ToggleServiceFlag", ToggleServiceFlag);
  table.AddItemValues(10080, ReadHeadIdValue);
  table.AddItemValues(10220, ReadMacValues);
  table.AddItemValues(10230, ReadSerialValue);
  for (const int item : {10240, 10241, 20060}) table.AddItemValues(item, ReadServiceFlagValue);
}

}  // namespace operations
