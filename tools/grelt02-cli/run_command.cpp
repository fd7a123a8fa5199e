// grelt02-cli run: one service operation as the main service dialog starts it, with the page's
// inputs from the command line and the user's answers scripted.

#include <fstream>
#include <iostream>
#include <sstream>

#include "commands.h"
#include "operations/board_exchange.h"
#include "operations/dispatcher.h"
#include "operations/file_transfer.h"
#include "operations/service_operations.h"
#include "printer_session.h"
#include "record/line_sender.h"
#include "ui/dialog_template.h"
#include "ui/pages/page_inputs.h"

namespace cli {
namespace {

struct RunOptions {
  std::string function;
  int port = -1;
  int selector = 0;
  std::vector<int> flags;
  std::string input;
  bool inputGiven = false;
  std::vector<int> values;
  std::vector<double> measured;
  std::vector<std::string> answers;
  std::vector<double> temperatures;
  int runMode = 0;
  std::string sentFile;
  std::string file;
};

// The run environment of the session's program folder, on the configured port or --port.
std::unique_ptr<operations::ServiceEnvironment> MakeEnvironment(Session& session, int port) {
  settings::AppSettings settings = session.Settings();
  if (port >= 0) {
    settings.pnInterface.count = std::max(settings.pnInterface.count, 1);
    settings.pnInterface.values[0] = port;
  }
  return std::make_unique<operations::ServiceEnvironment>(
      settings, operations::ServiceFolders::Of(session.Folder(), settings.strProfile),
      platform::DefaultClock(), session.Ui(), &session.Ports(), session.Directory(),
      printer::LpdPortFromEnvironment());
}

// After the run, not during it: the runs waiting for the line database go out, bounded by the
// time-outs; a database that is away leaves them waiting (record status tells) and the run's
// answer as it was.
void SendRecordedRuns(const operations::ServiceEnvironment& env) {
  if (env.LineDatabaseOn())
    record::SendWaitingRuns(record::Outbox(env.folders.csv), env.settings.strLineDatabase, {});
}

int AnswerCode(const std::string& answer) {
  if (answer == "ok") return ui::kAnswerOk;
  if (answer == "cancel") return ui::kAnswerCancel;
  if (answer == "yes") return ui::kAnswerYes;
  return ui::kAnswerNo;
}

// The message boxes and message dialogs of a run, in order, with what answered them.
Json MessagesShown(const ui::ScriptedUiServices& ui) {
  Json messages = Json::array();
  for (const ui::UiCall& call : ui.Calls()) {
    if (call.kind != ui::UiCallKind::MessageBox && call.kind != ui::UiCallKind::MessageDialog)
      continue;
    messages.push_back(
        {{"kind", ui::KindName(call.kind)},
         {"text", call.text},
         {"icon", call.kind == ui::UiCallKind::MessageBox ? IconName(call.style) : "none"},
         {"answer", call.answer}});
  }
  return messages;
}

// Each temperature dialog of a run: the degrees that answered it, or null where it was cancelled.
Json TemperaturesAsked(const ui::ScriptedUiServices& ui) {
  Json asked = Json::array();
  for (const ui::UiCall& call : ui.Calls(ui::UiCallKind::Temperature))
    asked.push_back(call.answer == ui::IDOK ? Json(std::stod(call.text)) : Json());
  return asked;
}

// The button base and item number of a function number, or of the hot keys F11 and F12.
std::pair<int, int> ParseFunction(const std::string& function) {
  if (function == "F11") return {operations::kF11, 0};
  if (function == "F12") return {operations::kF12, 0};
  std::size_t used = 0;
  int number = -1;
  try {
    number = std::stoi(function, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != function.size() || number < 100000 || number > 399999)
    throw std::runtime_error("not a function number: " + function);
  return {number / 100000 * 100000, number % 100000};
}

// Refuses, before any printer is opened, what the item's page could never hand its operation.
void CheckAgainstThePage(const RunOptions& options) {
  ui::GivenInputs given{options.selector, options.flags, options.values, options.measured, {}};
  if (options.inputGiven) given.text = options.input;
  const auto [base, item] = ParseFunction(options.function);
  const std::string problem = ui::CheckPageInputs(base, item, given);
  if (!problem.empty())
    throw std::runtime_error(options.function + " refused: " + problem + "; nothing was sent");
}

// Fills the request as the item's page and the pressed button would.
void FillRequest(const RunOptions& options, const menu::MenuFiles& catalogue,
                 operations::OperationRequest& request) {
  const auto [base, item] = ParseFunction(options.function);
  request.buttonBase = base;
  request.itemNumber = item;
  if (base == operations::kF11 || base == operations::kF12) {
    request.hotKeyRun = 1;
  } else {
    request.pageText = catalogue.ReadFunctionPageText(request.itemNumber);
  }
  request.selector = options.selector;
  for (std::size_t i = 0; i < options.flags.size() && i < request.colourFlags.size(); ++i)
    request.colourFlags[i] = options.flags[i];
  for (std::size_t i = 0; i < options.values.size() && i < request.enteredValues.size(); ++i)
    request.enteredValues[i] = options.values[i];
  for (std::size_t i = 0; i < options.measured.size() && i < request.measured.size(); ++i)
    request.measured[i] = options.measured[i];
  request.inputText = options.input;
  request.runMode = options.runMode;
}

// 0: the operation ran and succeeded; 1: it ran and failed or was cancelled; 2: it could not run
// (no printer, an unknown model, no operation for the number). Why it could not run goes to
// standard error.
int RunExitCode(bool dispatched, const operations::OperationRequest& request,
                const std::string& function) {
  if (!dispatched) {
    std::cerr << "grelt02-cli: " << function << " did not run: "
              << (request.printerMissing != 0 ? "the printer cannot be opened"
                                              : "the printer is not a model the program knows")
              << '\n';
    return 2;
  }
  if (request.operationRan.empty()) {
    std::cerr << "grelt02-cli: the program has no operation for " << function << '\n';
    return 2;
  }
  return request.operationSucceeded ? 0 : 1;
}

}  // namespace

void AddRunCommand(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* run = app.add_subcommand(
      "run", "Run one service operation as the main service dialog does, answers scripted");
  run->add_option("FUNCTION", options->function, "Function number (such as 210090), F11 or F12")
      ->required();
  run->add_option("--selector", options->selector, "The page's choice");
  run->add_option("--flags", options->flags, "Five on/off choices: a,b,c,d,e")->delimiter(',');
  CLI::Option* input = run->add_option("--input", options->input, "Text entered on the page");
  run->add_option("--values", options->values, "Numbers entered on the page")->delimiter(',');
  run->add_option("--measured", options->measured, "Measured values m1,m2,m3,m4")->delimiter(',');
  run->add_option("--answer", options->answers,
                  "Answer to the next question (ok, cancel, yes, no); repeat for more")
      ->check(CLI::IsMember({"ok", "cancel", "yes", "no"}));
  run->add_option("--temperature", options->temperatures,
                  "Answer to the next temperature dialog, 15.0 to 30.0 degrees (else it is "
                  "cancelled); repeat for more")
      ->check(CLI::Range(15.0, 30.0));
  run->add_option("--run-mode", options->runMode, "Run mode (4: silent, 5141: any model)");
  run->add_option(
      "--file", options->file,
      "Answer the next open- or save-file dialog with this path (else it is cancelled)");
  run->add_option("--sent", options->sentFile,
                  "Write every byte the run sent to the printer, in order, to this file");
  AddPortOption(*run, options->port);
  run->callback([&context, options, input] {
    options->inputGiven = input->count() > 0;
    context.run = [&context, options] {
      CheckAgainstThePage(*options);
      Session session(options->port);
      ui::ScriptedUiServices& ui = session.Ui();
      for (const std::string& answer : options->answers) ui.QueueAnswer(AnswerCode(answer));
      for (const double celsius : options->temperatures) ui.QueueTemperature(celsius);
      if (!options->file.empty()) ui.QueueFile(options->file);
      const auto environmentHolder = MakeEnvironment(session, options->port);
      const operations::ServiceEnvironment& environment = *environmentHolder;
      const operations::OperationTable table = operations::ServiceOperations();
      operations::OperationRequest request;
      FillRequest(*options, environment.catalogue, request);
      int doneMessages = 0;
      std::ofstream sent;
      if (!options->sentFile.empty()) {
        sent.open(options->sentFile, std::ios::binary | std::ios::trunc);
        if (!sent) throw std::runtime_error("cannot write " + options->sentFile);
      }
      const operations::Dispatch dispatch{environment, table, [&doneMessages] { ++doneMessages; },
                                          [&sent](const std::uint8_t* bytes, std::size_t length) {
                                            if (sent.is_open())
                                              sent.write(reinterpret_cast<const char*>(bytes),
                                                         static_cast<std::streamsize>(length));
                                          }};
      const int number = operations::FunctionNumber(request.buttonBase, request.itemNumber);
      const bool dispatched = request.hotKeyRun == 0 && operations::IsNetworkFunction(number)
                                  ? operations::RunNetworkOperation(request, dispatch)
                                  : operations::RunOperation(request, dispatch);
      SendRecordedRuns(environment);
      const Json messages = MessagesShown(ui);
      context.exitCode = RunExitCode(dispatched, request, options->function);
      Print({{"function", options->function},
             {"dispatched", dispatched},
             {"operation", request.operationRan.empty() ? Json() : Json(request.operationRan)},
             {"succeeded", request.operationSucceeded},
             {"messages", messages},
             {"temperatures", TemperaturesAsked(ui)},
             {"lastError", request.lastError},
             {"done", request.done},
             {"printerMissing", request.printerMissing},
             {"resultCode", request.resultCode},
             {"romVersion", request.romVersion},
             {"shownValues", request.shownValues},
             {"outputText", request.outputText},
             {"printFinished", request.printFinished},
             {"doneMessages", doneMessages}});
      if (sent.is_open() && !sent.flush())
        throw std::runtime_error("cannot write " + options->sentFile);
    };
  });
}

void AddBackupCommand(CLI::App& app, CommandContext& context) {
  auto port = std::make_shared<int>(-1);
  auto output = std::make_shared<std::string>();
  CLI::App* backup = app.add_subcommand(
      "backup", "Save the printer's NVRAM image to a file, as the NVRAM backup utility does");
  backup->add_option("-o,--output", *output, "The image file to write")->required();
  AddPortOption(*backup, *port);
  backup->callback([&context, port, output] {
    context.run = [&context, port, output] {
      Session session(*port);
      session.Ui().QueueFile(*output);
      const auto environment = MakeEnvironment(session, *port);
      const menu::FunctionPageText texts =
          environment->catalogue.ReadFunctionPageText(operations::kBackupUtilityFunction);
      const operations::UtilityBackupResult result =
          operations::RunUtilityBackup(*environment, texts.text[2]);
      SendRecordedRuns(*environment);
      context.exitCode = !result.sessionOpened ? 2 : result.savedPath.empty() ? 1 : 0;
      Print({{"serialNumber", result.serialNumber},
             {"file", result.savedPath.empty() ? Json() : Json(result.savedPath)}});
    };
  });
}

// firmware FILE and print FILE: what the firmware update and print-file dialogs do.
void AddFileCommands(CLI::App& app, CommandContext& context) {
  struct FileOptions {
    std::string file;
    int port = -1;
    std::vector<std::string> answers;
  };
  const auto add = [&app, &context](const char* name, const char* what, bool firmware) {
    auto options = std::make_shared<FileOptions>();
    CLI::App* command = app.add_subcommand(name, what);
    command->add_option("FILE", options->file, "The file to send")->required();
    command
        ->add_option("--answer", options->answers,
                     "Answer to the next question of the sender (ok, cancel); repeat for more")
        ->check(CLI::IsMember({"ok", "cancel"}));
    AddPortOption(*command, options->port);
    command->callback([&context, options, firmware] {
      context.run = [&context, options, firmware] {
        Session session(options->port);
        for (const std::string& answer : options->answers)
          session.Ui().QueueAnswer(AnswerCode(answer));
        const auto environment = MakeEnvironment(session, options->port);
        const auto link = operations::MakeRunLink(*environment);
        const bool sent = firmware ? operations::UpdateFirmware(*environment, *link, options->file)
                                   : operations::PrintFile(*environment, *link, options->file);
        SendRecordedRuns(*environment);
        context.exitCode = sent ? 0 : 1;
        Print({{"file", options->file}, {"sent", sent}, {"messages", MessagesShown(session.Ui())}});
      };
    });
  };
  add("firmware", "Send a firmware file (.UPG) as the firmware update dialog does", true);
  add("print", "Send a print file (.PRN) unchanged as the print-file dialog does", false);
}

}  // namespace cli
