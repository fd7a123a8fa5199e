// Commands for the ILS option unit: its initialisation (254 stops it, 3 starts it again; it
// reports "stop" once more, then "ready") and the position of the tile under it.

#include "vprinter/command_bytes.h"
#include "vprinter/command_table.h"

namespace vprinter {

namespace {

namespace factory = driver::factory;

void Initialise(PrinterContext& printer, const Bytes& p) {
  PrinterState& state = printer.State();
  UnitState& unit = state.unit;
  if (p[0] == 254) unit.state = 0;
  if (p[0] == 3 && unit.state != 255) {
    unit.state = 0;
    printer.StartUnit(state.faults.unitOffline ? -1 : 1);
  }
}

}  // namespace

void AddUnitCommands(CommandTable& table) {
  table.Add(factory::k7C_9A654D, 1, Initialise);
  table.Add(factory::k7B_25DA92, 1, Initialise);
  table.Add(factory::k7B_28D714, 6, [](PrinterContext& printer, const Bytes& p) {
    printer.State().unit.tilePosition = static_cast<int>(Dword(p, 2));
  });
  for (const driver::FactoryCode command :
       {factory::k7B_22DD11, factory::k7B_40BF20, factory::k7B_42BD21, factory::k7B_03FC81})
    table.Add(command, 0, Accepted(command));
}

}  // namespace vprinter
