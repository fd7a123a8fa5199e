// grelt02-cli pattern commands: the test patterns printed on the configured printer, or built
// against a scratch virtual printer of a model and written to a job file exactly as sent.

#include <filesystem>
#include <fstream>
#include <random>

#include "commands.h"
#include "patterns/adjustment_sheets.h"
#include "patterns/nozzle_check.h"
#include "patterns/print_header.h"
#include "printer_session.h"
#include "vprinter/attachment.h"

namespace cli {
namespace {

struct PatternOptions {
  int port = -1;
  std::string name;
  std::string model;
  int dotType = 1;
  std::string machineNo;
  std::string output;
};

// The patterns that make a whole page; the others are pieces the operations put on their pages.
const std::vector<std::string> kPageNames = {
    "nozzle-check", "inspection-sheet-1", "inspection-sheet-2", "line-sheet", "mechanical-sheet"};
const std::vector<std::string> kPatternNames = {
    "nozzle-check", "inspection-sheet-1", "inspection-sheet-2",
    "line-sheet",   "mechanical-sheet",   "feed-check",
    "barcode",      "info-header"};

// The patterns that carry the machine number as a barcode refuse one that cannot be printed
// before anything is built.
void CheckMachineNo(const std::string& name, const std::string& machineNo) {
  if (name != "inspection-sheet-1" && name != "inspection-sheet-2" && name != "barcode") return;
  if (const std::string problem = patterns::MachineNoBarcodeProblem(machineNo); !problem.empty())
    throw std::runtime_error(problem);
}

// Runs one pattern as the service operation does, sends included; the patterns that only append
// (feed check, barcode, header) are sent afterwards as they stand.
bool RunPattern(const std::string& name, printer::CPrinterLink& link,
                patterns::PrintHeaderInfo& header, const std::string& version, int dotType) {
  bool ok = false;
  if (name == "nozzle-check") {
    ok = patterns::AppendNozzleCheckLanes(link, dotType) && link.FlushJob() &&
         patterns::AppendNozzleCheckFooter(link, header, version);
  } else if (name == "inspection-sheet-1") {
    ok = patterns::PrintInspectionSheet1(link, header, version);
  } else if (name == "inspection-sheet-2") {
    ok = patterns::PrintInspectionSheet2(link, header, version);
  } else if (name == "line-sheet") {
    ok = patterns::PrintLineSheet(link, header, version);
  } else if (name == "mechanical-sheet") {
    ok = patterns::PrintMechanicalSheet(link, header, version);
  } else if (name == "feed-check") {
    ok = patterns::PrintFeedCheckBlocks(link);
  } else if (name == "barcode") {
    ok = patterns::PrintMachineNoBarcode(link, header.MachineNo);
  } else if (name == "info-header") {
    ok = patterns::PrintInfoHeader(link, header, version, 0, 0);
  }
  return ok && link.FlushJob();
}

void AddPatternOptions(CLI::App& command, PatternOptions& options,
                       const std::vector<std::string>& names) {
  command.add_option("NAME", options.name, "The pattern")->required()->check(CLI::IsMember(names));
  command.add_option("--dot-type", options.dotType, "Nozzle check: 1 large, 2 medium, 3 small")
      ->check(CLI::Range(1, 3));
  command.add_option("--machine-no", options.machineNo,
                     "Machine number for the barcode of the inspection sheets");
}

// A virtual printer of the model in a folder of its own, removed with this object.
class ScratchPrinter {
public:
  explicit ScratchPrinter(const std::string& model)
      : folder_(std::filesystem::temp_directory_path() /
                ("grelt02-pattern-" + std::to_string(std::random_device{}()))),
        registry_((folder_ / "Registry").string()),
        directory_(registry_) {
    vprinter::RegisterVirtualPrinters();
    std::string error;
    const auto attached = vprinter::AttachVirtualPrinter(
        directory_, folder_.string(), model, "scratch", kPort, platform::DefaultClock(), &error);
    if (!attached)
      throw std::runtime_error("cannot make a virtual printer of model " + model + ": " + error);
    link_ = attached->attachment.link;
  }
  ~ScratchPrinter() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchPrinter(const ScratchPrinter&) = delete;
  ScratchPrinter& operator=(const ScratchPrinter&) = delete;

  static constexpr int kPort = 1;
  driver::DeviceDirectory& Directory() { return directory_; }
  // The commands the printer met and did not know.
  std::vector<std::string> UnknownCommands() {
    const auto device = directory_.FindByLink(link_);
    return device ? std::static_pointer_cast<vprinter::VirtualPrinter>(device)->UnknownCommands()
                  : std::vector<std::string>{};
  }

private:
  std::filesystem::path folder_;
  platform::Registry registry_;
  driver::DeviceDirectory directory_;
  std::string link_;
};

}  // namespace

void AddPatternCommands(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<PatternOptions>();

  CLI::App* pattern = app.add_subcommand(
      "pattern", "Build a pattern's job against a scratch virtual printer and write it to a file");
  AddPatternOptions(*pattern, *options, kPatternNames);
  pattern->add_option("--model", options->model, "Two-letter model code")->required();
  pattern->add_option("-o,--output", options->output, "The job file to write")->required();
  pattern->callback([&context, options] {
    context.run = [options] {
      CheckMachineNo(options->name, options->machineNo);
      ScratchPrinter printer(options->model);
      settings::AppSettings settings = settings::LoadSettings(platform::GetProgramFolder());
      ui::ScriptedUiServices ui;
      ui.SetDeclineByDefault(true);
      printer::CPrinterLink link(printer::LinkEnvironment{settings, ui, platform::DefaultClock()},
                                 std::make_unique<driver::CWinGreltDrv>(printer.Directory()));
      std::vector<std::uint8_t> sent;
      link.SetSentJobTap([&sent](const std::uint8_t* bytes, std::size_t length) {
        sent.insert(sent.end(), bytes, bytes + length);
      });
      // The text mode as every operation run sets it.
      encoder::TXSetInfo(link, 2, 0);
      std::string firmware;
      patterns::PrintHeaderInfo header;
      const bool ok =
          link.Open(ScratchPrinter::kPort) && link.ReadRomVersion(firmware) &&
          link.SetModel(options->model) &&
          ReadPrintHeader(link, firmware, options->machineNo, header) &&
          RunPattern(options->name, link, header,
                     ReadProgramVersion(ui, platform::GetProgramFolder()), options->dotType);
      const int error = link.LastError();
      link.Close();
      PrintShownTexts(ui);
      if (!ok) {
        throw std::runtime_error("the pattern could not be built for model " + options->model +
                                 " (error " + std::to_string(error) + ")");
      }
      std::ofstream out(options->output, std::ios::binary);
      out.write(reinterpret_cast<const char*>(sent.data()),
                static_cast<std::streamsize>(sent.size()));
      if (!out.flush()) throw std::runtime_error("cannot write " + options->output);
      Print({{"pattern", options->name},
             {"model", options->model},
             {"bytes", sent.size()},
             {"file", options->output},
             {"unknownCommands", printer.UnknownCommands()}});
    };
  });

  CLI::App* print =
      app.add_subcommand("print-pattern", "Print a pattern on the configured printer");
  AddPatternOptions(*print, *options, kPageNames);
  AddPortOption(*print, options->port);
  print->callback([&context, options] {
    context.run = [options] {
      CheckMachineNo(options->name, options->machineNo);
      Session session(options->port);
      session.Open();
      patterns::PrintHeaderInfo header = session.PrintHeader(options->machineNo);
      if (!RunPattern(options->name, session.Link(), header, session.ProgramVersion(),
                      options->dotType)) {
        session.Fail("the pattern was not printed completely");
      }
      Json json = session.Identity();
      json["pattern"] = options->name;
      json["serialNo"] = header.SerialNo;
      json["printed"] = true;
      Print(json);
    };
  });
}

}  // namespace cli
