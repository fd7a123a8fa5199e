#pragma once
// The factory and remote-mode commands a printer of the series knows, in one table keyed by
// command family and code. Each row names the command, the parameter bytes it needs at least, and
// its handler; the handlers live in files by subsystem (commands_*.cpp), each adding its rows in
// its Add…Commands. A command that is in no row is unknown: the printer logs it and counts it.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "driver/command_codes.h"
#include "vprinter/command_parser.h"
#include "vprinter/printer_state.h"

namespace vprinter {

// What a handler may do to the printer it runs in.
class PrinterContext {
public:
  virtual PrinterState& State() = 0;
  virtual void Note(const std::string& line) = 0;
  // The printer works (status type 3) for this long from now, or from when it is done.
  virtual void BusyFor(std::int64_t ms) = 0;
  // The printer stops working now (a function that does not begin leaves it idle).
  virtual void Idle() = 0;
  // Whether eight bytes are the write key of the printer's model.
  virtual bool KeyOk(const std::uint8_t* key) const = 0;
  // Whether a write touching these NVRAM addresses fails (the write-fail fault).
  virtual bool WriteFails(int address, int count) const = 0;
  virtual std::int64_t UnixSeconds() const = 0;
  // The option unit starts: it reports "stop" for this many state reads, then "ready".
  virtual void StartUnit(int stateReads) = 0;
  // Puts the printer's own nozzle check on the page (the form feed that follows ends it).
  virtual void PrintOwnNozzleCheck() = 0;

protected:
  ~PrinterContext() = default;
};

// Remote-mode commands share the table under family 0, their two letters as the code.
struct CommandKey {
  std::uint8_t family = 0;
  std::uint16_t code = 0;
  friend constexpr auto operator<=>(const CommandKey&, const CommandKey&) = default;
};
constexpr CommandKey KeyOf(driver::FactoryCode command) { return {command.family, command.code}; }
constexpr CommandKey KeyOf(std::string_view remoteName) {
  return {0, static_cast<std::uint16_t>(static_cast<std::uint8_t>(remoteName[0]) << 8 |
                                        static_cast<std::uint8_t>(remoteName[1]))};
}

// How long the printer works on a carriage or paper move, a head cleaning (a slot cleaning takes
// three), and the long maintenance.
inline constexpr std::int64_t kMoveMs = 1'000;
inline constexpr std::int64_t kCleaningMs = 60'000;
inline constexpr std::int64_t kLongMaintenanceMs = 600'000;

using CommandHandler = std::function<void(PrinterContext& printer, const Bytes& params)>;

struct CommandRow {
  std::string name;  // as the log shows it: "7D 13", "remote JS"
  std::size_t minParams = 0;
  CommandHandler handle;
};

class CommandTable {
public:
  void Add(driver::FactoryCode command, std::size_t minParams, CommandHandler handle);
  void Add(std::string_view remoteName, CommandHandler handle);
  const CommandRow* Find(CommandKey key) const;

private:
  std::map<CommandKey, CommandRow> rows_;
};

// A command the printer takes without a trace of its own: a move (family 7D) keeps it working
// for a second, a setting is only noted.
CommandHandler Accepted(driver::FactoryCode command);

// The rows by subsystem.
void AddNvramCommands(CommandTable& table);
void AddMechanicsCommands(CommandTable& table);
void AddUnitCommands(CommandTable& table);
void AddRemoteCommands(CommandTable& table);

// Every command a printer of the series knows.
const CommandTable& StandardCommands();

// "7D 13": how the log names a factory command.
std::string FactoryName(std::uint8_t family, std::uint8_t code);

}  // namespace vprinter
