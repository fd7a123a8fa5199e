#include "vprinter/command_table.h"

#include <cstdio>

namespace vprinter {

std::string FactoryName(std::uint8_t family, std::uint8_t code) {
  char name[8];
  std::snprintf(name, sizeof name, "%02X %02X", family, code);
  return name;
}

void CommandTable::Add(driver::FactoryCode command, std::size_t minParams, CommandHandler handle) {
  rows_.insert_or_assign(KeyOf(command), CommandRow{FactoryName(command.family, command.code),
                                                    minParams, std::move(handle)});
}

void CommandTable::Add(std::string_view remoteName, CommandHandler handle) {
  rows_.insert_or_assign(KeyOf(remoteName),
                         CommandRow{"remote " + std::string(remoteName), 0, std::move(handle)});
}

const CommandRow* CommandTable::Find(CommandKey key) const {
  const auto found = rows_.find(key);
  return found == rows_.end() ? nullptr : &found->second;
}

CommandHandler Accepted(driver::FactoryCode command) {
  return [command](PrinterContext& printer, const Bytes&) {
    if (command.family == 0x7D) printer.BusyFor(kMoveMs);
    printer.Note("factory command " + FactoryName(command.family, command.code) + " accepted");
  };
}

const CommandTable& StandardCommands() {
  static const CommandTable table = [] {
    CommandTable t;
    AddNvramCommands(t);
    AddMechanicsCommands(t);
    AddUnitCommands(t);
    AddRemoteCommands(t);
    return t;
  }();
  return table;
}

}  // namespace vprinter
