#pragma once
// The command groups of grelt02-cli. Each adds its subcommands to the application; a command's
// callback stores its work in `run`, which main calls once the program folder is known. Work
// that fails throws std::runtime_error with a message for the user.

#include <CLI/CLI.hpp>
#include <functional>

#include "json_output.h"

namespace cli {

struct CommandContext {
  std::function<void()>& run;
  int& exitCode;
};

void AddVprinterCommands(CLI::App& app, CommandContext& context);
void AddPrinterCommands(CLI::App& app, CommandContext& context);
void AddEncoderCommands(CLI::App& app, CommandContext& context);
void AddPatternCommands(CLI::App& app, CommandContext& context);
void AddRunCommand(CLI::App& app, CommandContext& context);
void AddBackupCommand(CLI::App& app, CommandContext& context);
void AddFileCommands(CLI::App& app, CommandContext& context);
void AddRecordCommand(CLI::App& app, CommandContext& context);
void AddReportCommand(CLI::App& app, CommandContext& context);
// menu functions, under the menu command.
void AddFunctionTableCommand(CLI::App& menuCommand, CommandContext& context, ui::UiServices& ui);

}  // namespace cli
