// grelt02-cli pattern commands: the nozzle check and the adjustment sheets on the configured
// printer, with the information header read from it.

#include "commands.h"
#include "patterns/adjustment_sheets.h"
#include "patterns/nozzle_check.h"
#include "printer_session.h"

namespace cli {
namespace {

struct Options {
  int port = -1;
  int dotType = 1;
  std::string sheet;
  std::string machineNo;
};

// The sheets by the names the command takes.
bool PrintSheet(const std::string& name, printer::CPrinterLink& link,
                patterns::PrintHeaderInfo& header, const std::string& version) {
  if (name == "inspection-1") return patterns::PrintInspectionSheet1(link, header, version);
  if (name == "inspection-2") return patterns::PrintInspectionSheet2(link, header, version);
  if (name == "line") return patterns::PrintLineSheet(link, header, version);
  return patterns::PrintMechanicalSheet(link, header, version);
}

}  // namespace

void AddPatternCommands(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<Options>();
  auto portOption = [options](CLI::App* command) { AddPortOption(*command, options->port); };

  CLI::App* nozzle = app.add_subcommand("nozzle-check", "Print the nozzle-check page");
  nozzle->add_option("--dot", options->dotType, "Dot type: 1 large, 2 medium, 3 small")
      ->check(CLI::Range(1, 3));
  portOption(nozzle);
  nozzle->callback([&context, options] {
    context.run = [options] {
      Session session(options->port);
      session.Open();
      printer::CPrinterLink& link = session.Link();
      const patterns::PrintHeaderInfo header = session.PrintHeader("");
      if (!patterns::AppendNozzleCheckLanes(link, options->dotType) || !link.FlushJob() ||
          !patterns::AppendNozzleCheckFooter(link, header, session.ProgramVersion()) ||
          !link.FlushJob()) {
        session.Fail("the nozzle check was not printed");
      }
      Json json = session.Identity();
      json["dotType"] = options->dotType;
      json["serialNo"] = header.SerialNo;
      json["printed"] = true;
      Print(json);
    };
  });

  CLI::App* sheet = app.add_subcommand("sheet", "Print an inspection or adjustment sheet");
  sheet->add_option("NAME", options->sheet, "inspection-1, inspection-2, line or mechanical")
      ->required()
      ->check(CLI::IsMember({"inspection-1", "inspection-2", "line", "mechanical"}));
  sheet->add_option("--machine-no", options->machineNo,
                    "Machine number for the barcode of the inspection sheets");
  portOption(sheet);
  sheet->callback([&context, options] {
    context.run = [options] {
      Session session(options->port);
      session.Open();
      patterns::PrintHeaderInfo header = session.PrintHeader(options->machineNo);
      if (!PrintSheet(options->sheet, session.Link(), header, session.ProgramVersion()))
        session.Fail("the sheet was not printed completely");
      Json json = session.Identity();
      json["sheet"] = options->sheet;
      json["printed"] = true;
      Print(json);
    };
  });
}

}  // namespace cli
