// grelt02-cli: the program's capabilities without its windows, for production-line scripts,
// diagnostics and tests. Every command prints JSON on standard output.

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <iostream>

#include "commands.h"
#include "driver/product_constants.h"
#include "json_output.h"
#include "menu/menu_files.h"
#include "menu/menu_tree.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/user_folder.h"
#include "settings/app_settings.h"
#include "ui/scripted_ui_services.h"

int main(int argc, char** argv) {
  platform::TreatFileSizeLimitAsFullDisk();
  CLI::App app{
      "Service and inspection program for the printer series, without its windows.\n"
      "Every command prints JSON."};
  app.set_version_flag("--version", "grelt02-cli " GRELT_VERSION);
  app.require_subcommand(1);
  std::string programFolder;
  app.add_option("--program-folder", programFolder,
                 "Program folder to work on (default: the folder of this executable; an installed "
                 "program works on its copy in $XDG_DATA_HOME/grelt02)");

  app.fallthrough();  // --program-folder may also follow the command

  // Each command's callback picks the work; it runs once the program folder is known.
  std::function<void()> run;
  int exitCode = 0;
  // Messages that a command would show in a window are answered with their first button and
  // repeated on standard error.
  ui::ScriptedUiServices scriptedUi;
  auto menuFiles = [&] {
    return menu::MenuFiles(scriptedUi, platform::ServiceFolder(platform::GetProgramFolder()));
  };

  app.add_subcommand("settings", "The settings of the three settings files, by INI key")
      ->callback([&] {
        run = [] {
          cli::Print(cli::SettingsToJson(settings::LoadSettings(platform::GetProgramFolder())));
        };
      });

  app.add_subcommand("models", "The models the program knows: code and test settings set")
      ->callback([&] {
        run = [] {
          cli::Json models = cli::Json::array();
          for (const driver::ModelConstants& model : driver::ModelTable())
            models.push_back({{"code", model.code}, {"testSettings", model.testSettings}});
          cli::Print(models);
        };
      });

  cli::CommandContext context{run, exitCode};
  cli::AddVprinterCommands(app, context);
  cli::AddPrinterCommands(app, context);
  cli::AddEncoderCommands(app, context);
  cli::AddPatternCommands(app, context);
  cli::AddRunCommand(app, context);
  cli::AddBackupCommand(app, context);
  cli::AddFileCommands(app, context);
  cli::AddRecordCommand(app, context);
  cli::AddReportCommand(app, context);

  CLI::App* menuCommand = app.add_subcommand("menu", "The menu definition files");
  menuCommand->require_subcommand(1);

  menuCommand->add_subcommand("main", "The seven main-menu entries of the start screen")
      ->callback([&] {
        run = [&] {
          menu::MenuFiles files = menuFiles();
          files.ReadMainMenus();
          cli::Print(cli::MainMenusToJson(files));
        };
      });

  int top = 0;
  CLI::App* tree = menuCommand->add_subcommand(
      "tree", "The tree nodes the main service dialog shows for a top function, in order");
  tree->add_option("TOP", top, "Top function, such as 90020")->required();
  tree->callback([&] {
    run = [&] {
      menu::MenuFiles files = menuFiles();
      const std::string topName =
          files.ReadMenuKey(menu::kFuncDataFile, std::to_string(top), "TreeTop");
      if (!files.ReadTree()) exitCode = 1;
      cli::Print(cli::TreeToJson(files, menu::PlanMenuTree(files.Nodes(), topName)));
    };
  });

  cli::AddFunctionTableCommand(*menuCommand, context, scriptedUi);

  int functionId = 0;
  CLI::App* page = menuCommand->add_subcommand("page", "The page texts of a function");
  page->add_option("ID", functionId, "Function ID, such as 10230")->required();
  page->callback([&] {
    run = [&] { cli::Print(cli::PageTextToJson(menuFiles().ReadFunctionPageText(functionId))); };
  });

  int number = 0;
  CLI::App* message = menuCommand->add_subcommand(
      "message", "A message of the catalogue and its icon; exit code 1 when it is missing");
  message->add_option("N", number, "Message number, such as 90000001")->required();
  message->callback([&] {
    run = [&] {
      std::string text;
      if (!menuFiles().LookupMessage(number, text)) exitCode = 1;
      cli::Print({{"text", text}, {"icon", cli::IconName(menu::MessageIcon(number))}});
    };
  });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Help is a success; every mistake in the arguments is exit code 2, as for any command.
    return app.exit(error) == 0 ? 0 : 2;
  }
  try {
    if (!programFolder.empty() && !std::filesystem::is_directory(programFolder))
      throw std::runtime_error("the program folder does not exist: " + programFolder);
    platform::SetProgramFolder(programFolder);
    if (std::string problem; programFolder.empty() && !platform::UseUserProgramFolder(&problem))
      throw std::runtime_error("cannot prepare the user's program folder: " + problem);
    // What is wrong with the settings files is said once, before any command works on them.
    std::vector<std::string> problems;
    settings::LoadSettings(platform::GetProgramFolder(), &problems);
    for (const std::string& problem : problems) std::cerr << "grelt02-cli: " << problem << '\n';
    run();
  } catch (const std::exception& error) {
    std::cerr << "grelt02-cli: " << error.what() << '\n';
    return 2;
  }
  cli::PrintShownTexts(scriptedUi);
  return exitCode;
}
