// Commands that write the printer's memory: production NVRAM bytes, the option unit's NVRAM and
// EEPROM, the clock, the serial numbers and the head ID. Each checks its key or code first.

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "driver/cwin_hdidapi.h"
#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "vprinter/command_bytes.h"
#include "vprinter/command_table.h"

namespace vprinter {
namespace {

namespace factory = driver::factory;

void Refuse(PrinterContext& printer, driver::FactoryCode command, const std::string& why) {
  printer.Note("refused " + FactoryName(command.family, command.code) + ": " + why);
}

void PrdWrite(PrinterContext& printer, const Bytes& p) {
  if (!printer.KeyOk(&p[3])) return Refuse(printer, factory::kPrdWrite, "write key");
  if (printer.WriteFails(Word(p, 0), 1)) return Refuse(printer, factory::kPrdWrite, "write failed");
  printer.State().nvram[Word(p, 0)] = p[2];
}

void PrdWriteMulti(PrinterContext& printer, const Bytes& p) {
  const std::size_t count = p[2];
  if (p.size() < 3 + count + 8) {
    return printer.Note("malformed factory command " +
                        FactoryName(factory::kPrdWriteMulti.family, factory::kPrdWriteMulti.code) +
                        ": " + std::to_string(p.size()) + " parameter bytes");
  }
  if (!printer.KeyOk(&p[3 + count])) return Refuse(printer, factory::kPrdWriteMulti, "write key");
  const std::size_t address = Word(p, 0);
  if (address + count > kNvramSize)
    return Refuse(printer, factory::kPrdWriteMulti, "past the NVRAM end");
  if (printer.WriteFails(static_cast<int>(address), static_cast<int>(count)))
    return Refuse(printer, factory::kPrdWriteMulti, "write failed");
  std::copy_n(p.begin() + 3, count,
              printer.State().nvram.begin() + static_cast<std::ptrdiff_t>(address));
}

// An option-unit byte, allowed by eight bytes of code after the address and the value.
template <std::size_t N>
void UnitWrite(PrinterContext& printer, const Bytes& p, driver::FactoryCode command,
               const std::array<std::uint8_t, N>& code, const char* codeName) {
  if (!std::equal(code.begin(), code.end(), p.begin() + 3))
    return Refuse(printer, command, codeName);
  if (Word(p, 0) >= kUnitNvramSize) return Refuse(printer, command, "past the unit NVRAM end");
  printer.State().unit.nvram[Word(p, 0)] = p[2];
}

void ClockSet(PrinterContext& printer, const Bytes& p) {
  char text[40];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", p[0], p[1], p[2], p[3], p[4], p[5]);
  PrinterState& state = printer.State();
  state.rtcSetValue = text;
  std::tm parts{};
  parts.tm_year = 100 + p[0];
  parts.tm_mon = p[1] - 1;
  parts.tm_mday = p[2];
  parts.tm_hour = p[3];
  parts.tm_min = p[4];
  parts.tm_sec = p[5];
  state.clockOffset = static_cast<std::int64_t>(timegm(&parts)) - printer.UnixSeconds();
  printer.Note(std::string("clock set to ") + text);
}

// Kind 1 writes the head's ID; kind 3 registers an exchanged head: the same ID, and the
// registration flag set.
void HeadIdWrite(PrinterContext& printer, const Bytes& p) {
  if (p[1] != 1 && p[1] != 3)
    return printer.Note("head ID of kind " + std::to_string(p[1]) + " ignored");
  int symbols[driver::kHeadIdChars];
  const std::string text(p.begin() + 2, p.begin() + 2 + driver::kHeadIdChars);
  if (driver::CWinHdidapi(80).ConvString2Data(text, symbols) < 0)
    return Refuse(printer, factory::kHeadIdWrite, "not a head ID");
  for (int i = 0; i < driver::kHeadIdChars; ++i) {
    printer.State().nvram[driver::kHeadIdAddress + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(symbols[i]);
  }
  if (p[1] == 3) printer.State().nvram[driver::nvram::kHeadIdRegistered] = 1;
  printer.Note(p[1] == 3 ? "head ID registered" : "head ID written");
}

}  // namespace

void AddNvramCommands(CommandTable& table) {
  table.Add(factory::kPrdWrite, 11, PrdWrite);
  table.Add(factory::kPrdWriteMulti, 3, PrdWriteMulti);
  table.Add(factory::k7B_02FD01, 11, [](PrinterContext& printer, const Bytes& p) {
    UnitWrite(printer, p, factory::k7B_02FD01, driver::kFamily7BKey, "family key");
  });
  table.Add(factory::k7C_42BD21, 11, [](PrinterContext& printer, const Bytes& p) {
    UnitWrite(printer, p, factory::k7C_42BD21, driver::kUnitAccessCode, "unit access code");
  });
  table.Add(factory::kClockSet, 6, ClockSet);
  table.Add(factory::kSerialNumber, driver::nvram::kSerialLength,
            [](PrinterContext& printer, const Bytes& p) {
              std::copy_n(p.begin(), driver::nvram::kSerialLength,
                          printer.State().nvram.begin() + driver::nvram::kSerialNumber);
              printer.Note("serial number written");
            });
  table.Add(factory::kLongSerialNumber, driver::nvram::kLongSerialLength,
            [](PrinterContext& printer, const Bytes& p) {
              std::copy_n(p.begin(), driver::nvram::kLongSerialLength,
                          printer.State().nvram.begin() + driver::nvram::kLongSerialNumber);
            });
  table.Add(factory::kHeadIdWrite, 2 + driver::kHeadIdChars, HeadIdWrite);
}

}  // namespace vprinter
