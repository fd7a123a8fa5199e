// Service prints and measurements: the sheets a technician prints and reads, the nozzle check,
// and the motor load measurements.
//
// Operations:
//   210040  PrintServicePattern: the mechanical adjustment sheet
//   210060  PrintServicePattern: the carriage motor measurement
//   210090  RunNozzleCheck: generated in three dot sizes, or the shipped print file
//   210110  PrintServicePattern: inspection sheet 1
//   210120  PrintServicePattern: inspection sheet 2
//   210170  PrintFeedCorrectionCheck: the feed check blocks with the feed correction in percent
//   210190  PrintServicePattern: the paper-feed motor measurement
//   210340  PrintServicePattern: the line-position sheet
//   210280  PrintImsCheck: the IMS paper and mark checks with their report line
//   210370  SendNetworkNozzleCheck: a fixed nozzle-check job to a printer on the network

#include <filesystem>
#include <optional>
#include <system_error>

#include "driver/nvram_map.h"
#include "encoder/factory_commands.h"
#include "encoder/raster_commands.h"
#include "encoder/remote_commands.h"
#include "operations/measured_charts.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"
#include "patterns/adjustment_sheets.h"
#include "patterns/motor_measurement.h"
#include "patterns/nozzle_check.h"
#include "patterns/print_header.h"
#include "printer/link_errors.h"
#include "printer/network_sender.h"

namespace operations {
namespace {

constexpr int kSheetPolls = 600;
constexpr int kNozzleCheckPolls = 120;

// The wait dialog around some printing; Done and Failed close it before their message.
class PrintRun {
public:
  PrintRun(OperationRun& run, int itemText) : run_(run) {
    wait_.emplace(run.env.ui, ItemText(run.request, itemText));
  }
  bool Done() {
    wait_.reset();
    Show(run_, kMsgDone, true);
    run_.request.done = 1;
    return true;
  }
  bool Failed() {
    wait_.reset();
    return Show(run_, kMsgPrinterFailed, false);
  }
  // False, after 90000005, when the printer stopped answering while it printed.
  bool WaitReady(int polls) { return AwaitReady(run_, polls) || Failed(); }

private:
  OperationRun& run_;
  std::optional<ScopedWaitDialog> wait_;
};

bool PrintMechanicalSheet(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 5);
  if (!patterns::PrintMechanicalSheet(run.link, header, run.env.versionText)) return false;
  if (!print.WaitReady(kSheetPolls)) return false;
  return true;
}

bool PrintLineSheet(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 5);
  if (!patterns::PrintLineSheet(run.link, header, run.env.versionText)) return false;
  if (!print.WaitReady(kSheetPolls)) return false;
  run.request.printFinished = 1;
  return true;
}

template <bool (*Sheet)(printer::CPrinterLink&, const patterns::PrintHeaderInfo&, std::string_view)>
bool PrintInspectionSheet(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 1);
  return Sheet(run.link, header, run.env.versionText) ? print.Done() : print.Failed();
}

// A motor load measurement: the operation, the chart's title where no menu item names it, the
// model's limits.
struct Motor {
  int function;
  const char* name;  // what its measurements are named after
  const char* title;
  bool (*measure)(printer::CPrinterLink&, std::optional<patterns::MotorValues>&);
  printer::MotorMeasureSettings printer::ModelTestSettings::*limits;
};
constexpr Motor kCrMotor{210060, "CR", "CR motor load", patterns::MeasureCrMotor,
                         &printer::ModelTestSettings::CrMeasure};
constexpr Motor kPfMotor{210190, "PF", "PF motor load", patterns::MeasurePfMotor,
                         &printer::ModelTestSettings::PfMeasure};

// Once the readings are taken, passed or not, a chart of them against the limits.
bool MeasureMotor(OperationRun& run, const Motor& motor) {
  PrintRun print(run, 1);
  std::optional<patterns::MotorValues> measured;
  const bool result = motor.measure(run.link, measured) ? print.Done() : print.Failed();
  if (measured) {
    const printer::MotorMeasureSettings& limits = run.link.TestSettings().*motor.limits;
    KeepMotorValues(run, motor.name, *measured, limits);
    const std::string& item = run.request.itemTitle;
    ShowMeasuredChart(run, motor.function,
                      MotorChart(item.empty() ? motor.title : item, *measured, limits));
  }
  return result;
}

// The black-ink kind as the check prints name it: 1 matte ("Mk"), 0 photo ("Pk").
bool ReadBlackInkText(OperationRun& run) {
  std::uint8_t kind = 0;
  if (!run.link.ReadPrdNvram(driver::nvram::kBlackInkKind, kind)) return false;
  if (kind <= 1) run.request.printerInfo.BlackInkKind = kind == 1 ? "Mk" : "Pk";
  return true;
}

bool GraphicsIn2880(printer::CPrinterLink& link) {
  return encoder::EnterGraphicsMode(link) && encoder::SetUnit(link, 1, 1, 1, 2880);
}

// The feed check: two blocks 20 inches apart and the printer's feed correction in percent.
bool QueueFeedCheckPage(OperationRun& run, const patterns::PrintHeaderInfo& header,
                        double percent) {
  printer::CPrinterLink& link = run.link;
  char line[48];
  std::snprintf(line, sizeof line, "[ %5f %%]\r\n", percent);
  return encoder::Factory7D_48B724(link, 1) &&
         encoder::RemoteJobPrologue(link, encoder::RemotePair{254, 99},
                                    {{1, 3}, {4, 105}, {130, 71}, {3, 0}}) &&
         encoder::EnterGraphicsMode(link) && encoder::SetDirection(link, 1) &&
         encoder::SetColorMode(link, 0) && encoder::SetMethodOptions(link, 0, 0) &&
         encoder::SetDotSize(link, 17) && encoder::SetUnit(link, 1, 1, 1, 2880) &&
         encoder::SetResolutionInfo(link, 360, 360) &&
         patterns::PrintInfoHeader(link, header, run.env.versionText, 29662, 24945) &&
         encoder::PrintTextBand(link, line, 0, 27825) && patterns::PrintFeedCheckBlocks(link) &&
         encoder::EndPage(link) && encoder::RemoteJobEpilogue(link) &&
         encoder::Factory7D_48B724(link, 0);
}

bool PrintFeedCorrectionCheck(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 2);
  std::int32_t scale = 0;
  std::int32_t length = 0;
  if (!ReadPrdLong(run.link, driver::nvram::kFeedScale, scale) ||
      !ReadPrdLong(run.link, driver::nvram::kFeedLength, length) || !ReadBlackInkText(run))
    return false;
  // No length, no percentage: a sheet saying "inf" would only mislead.
  if (length <= 0) {
    run.link.SetLastError(printer::kCorrectionOutOfRange);
    return false;
  }
  const double percent =
      scale / 10000.0 * (driver::nvram::kFeedLengthNominal / static_cast<double>(length));
  run.env.measurements.Add(record::Judge("Feed correction", percent, "%", {}, {}));
  if (!QueueFeedCheckPage(run, header, percent) || !run.link.FlushJob()) return false;
  if (!print.WaitReady(kSheetPolls)) return false;
  return true;
}

// The IMS check: the paper is checked, the IMS adjustment page printed from its shipped file,
// the marks it left are read, and a report line says whether they sit where they should.
constexpr const char* kImsFile = "IMS_MechaAdjust_CE39_OQC_NC_RevA.prn";
constexpr int kImsPaper = 8439;   // production area: paper reading and paper count
constexpr int kImsMarks = 34576;  // production area: eight mark readings

// A shipped print file sent through a copy of its own, so the shipped file is never held open
// while the printer takes it; the copy goes when it was sent.
enum class FileSend { Sent, NoFile, Failed };
FileSend SendPrintFileCopy(OperationRun& run, const char* file, const std::string& copyStem) {
  namespace fs = std::filesystem;
  const fs::path folder = run.env.folders.printFile;
  const fs::path copy = folder / (copyStem + std::to_string(run.link.Port()) + ".prn");
  std::error_code error;
  if (!fs::copy_file(folder / file, copy, fs::copy_options::overwrite_existing, error))
    return FileSend::NoFile;
  const bool sent = run.link.SendFile(copy.string(), 1024);
  fs::remove(copy, error);
  return sent ? FileSend::Sent : FileSend::Failed;
}

std::string ImsReport(const std::uint8_t (&marks)[8]) {
  std::string line;
  char field[16];
  for (int i = 0; i < 8; ++i) {
    if (i == 3 || i == 4) {
      std::snprintf(field, sizeof field, "     %2d   ", marks[i]);
      line += field;
    } else {
      line += std::string(10, ' ');
    }
  }
  line += "\r\n";
  line += marks[3] == 0 ? " Check1 = OK," : " Check1 = NG,";
  line += marks[4] == 4 || marks[4] == 5 ? " Check2 = OK\r\n" : " Check2 = NG\r\n";
  return line;
}

bool Sent(printer::CPrinterLink& link, bool queued) { return queued && link.FlushJob(); }

bool ImsPaperChecked(OperationRun& run) {
  printer::CPrinterLink& link = run.link;
  std::uint8_t paper[2] = {};
  if (!Sent(link, encoder::Factory7C_A35CD1(link, 16, 0, 0)) ||
      !link.ReadPrdNvramMulti(kImsPaper, 2, paper))
    return false;
  const bool reading =
      run.env.measurements.Add(record::Judge("IMS paper reading", paper[0], "", 190, 245));
  const bool count =
      run.env.measurements.Add(record::Judge("IMS paper count", paper[1], "", 2, {}));
  if (reading && count) return true;
  link.SetLastError(printer::kImsPaperCheck);
  return false;
}

bool PrintImsPage(OperationRun& run) {
  printer::CPrinterLink& link = run.link;
  const auto imsRemote = [&link] {
    return encoder::RemoteJobPrologue(link, encoder::RemotePair{15, 0}, {{1, 2}});
  };
  if (!Sent(link, encoder::Factory7C_43BCA1(link, 1) && encoder::Factory7D_857AC2(link, 0) &&
                      imsRemote()) ||
      !Sent(link, GraphicsIn2880(link) && patterns::Print_Dummy_Dot(link, 2, 1565) &&
                      encoder::ResetPrinter(link) && encoder::EndPage(link) &&
                      encoder::RemoteJobEpilogue(link)) ||
      !ImsPaperChecked(run) || !Sent(link, imsRemote()) ||
      !Sent(link, encoder::Factory7D_857AC2(link, 0)))
    return false;
  const FileSend page = SendPrintFileCopy(run, kImsFile, "IMS");
  if (page == FileSend::NoFile) Show(run, kMsgFileProblem, false);
  return page == FileSend::Sent &&
         Sent(link, encoder::RemoteJobPrologue(link, std::nullopt, {{1, 2}}) &&
                        encoder::Factory7D_857AC2(link, 0) &&
                        encoder::Factory7C_A35CD1(link, 48, 0, 0));
}

bool PrintImsReport(OperationRun& run, const patterns::PrintHeaderInfo& header) {
  printer::CPrinterLink& link = run.link;
  std::uint8_t marks[8] = {};
  if (!link.ReadPrdNvramMulti(kImsMarks, 8, marks)) return false;
  // A mark out of place is the check's finding, printed on the sheet; the print goes on.
  const bool first = run.env.measurements.Add(record::Judge("IMS check 1", marks[3], "", 0, 0));
  const bool second = run.env.measurements.Add(record::Judge("IMS check 2", marks[4], "", 4, 5));
  if (!first || !second) link.SetLastError(printer::kImsCheckNg);
  return Sent(link, encoder::Factory7D_857AC2(link, 0) && GraphicsIn2880(link) &&
                        encoder::PrintTextBand(link, ImsReport(marks), 2880, 0) &&
                        patterns::PrintInfoHeader(link, header, run.env.versionText, 0, 170) &&
                        encoder::ResetPrinter(link) && encoder::ResetPrinter(link) &&
                        encoder::Factory7D_857AC2(link, 0) && encoder::Factory7C_43BCA1(link, 0) &&
                        encoder::EndPage(link) && encoder::RemoteJobEpilogue(link));
}

bool PrintImsCheck(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 1);
  if (!ReadBlackInkText(run) || !PrintImsPage(run) || !PrintImsReport(run, header)) return false;
  if (!print.WaitReady(kSheetPolls)) return false;
  return print.Done();
}

constexpr const char* kNozzleCheckFile = "NOZ_Check_Dossa.prn";

bool SendNozzleCheckFile(OperationRun& run) {
  const FileSend sent = SendPrintFileCopy(run, kNozzleCheckFile, "DOSSA");
  if (sent == FileSend::NoFile) return Show(run, kMsgFileProblem, false);
  return sent == FileSend::Sent;
}

bool RunNozzleCheck(OperationRun& run) {
  const int selector = run.request.selector;
  if (selector < 0 || selector > 3) return false;
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 9);
  if (selector == 3) return SendNozzleCheckFile(run);
  printer::CPrinterLink& link = run.link;
  if (!patterns::AppendNozzleCheckLanes(link, selector + 1) || !link.FlushJob() ||
      !patterns::AppendNozzleCheckFooter(link, header, run.env.versionText) || !link.FlushJob())
    return print.Failed();
  if (!print.WaitReady(kNozzleCheckPolls)) return false;
  return print.Done();
}

// The printer's own nozzle check, started in remote mode: enter remote mode ("REMOTE1"), the
// nozzle check command "NC", leave remote mode, then CR LF FF and two resets.
constexpr std::uint8_t kNetworkNozzleCheck[30] = {
    0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 0x52, 0x45, 0x4D, 0x4F, 0x54, 0x45, 0x31, 0x4E, 0x43,
    0x02, 0x00, 0x00, 0x00, 0x1B, 0x00, 0x00, 0x00, 0x0D, 0x0A, 0x0C, 0x1B, 0x40, 0x1B, 0x40};

bool SendNetworkNozzleCheck(OperationRun& run) {
  const std::string& host = run.request.inputText;
  if (host.empty() || !printer::SendNetworkJob(
                          host, kNetworkNozzleCheck, sizeof kNetworkNozzleCheck, run.env.ui,
                          run.env.lpdPort, printer::kLpdTimeoutMs,
                          run.env.settings.nLpdSpooler == 1 ? printer::LpdFraming::Spooler
                                                            : printer::LpdFraming::PrinterDaemon))
    return Show(run, kMsgPrinterFailed, false);
  run.request.done = 1;
  return true;
}

}  // namespace

void AddServicePrintOperations(OperationTable& table) {
  table.Add(210040, "PrintServicePattern", PrintMechanicalSheet);
  table.Add(kCrMotor.function, "PrintServicePattern",
            [](OperationRun& run) { return MeasureMotor(run, kCrMotor); });
  table.Add(210090, "RunNozzleCheck", RunNozzleCheck);
  table.Add(210110, "PrintServicePattern", PrintInspectionSheet<patterns::PrintInspectionSheet1>);
  table.Add(210120, "PrintServicePattern", PrintInspectionSheet<patterns::PrintInspectionSheet2>);
  table.Add(210170, "PrintFeedCorrectionCheck", PrintFeedCorrectionCheck);
  table.Add(kPfMotor.function, "PrintServicePattern",
            [](OperationRun& run) { return MeasureMotor(run, kPfMotor); });
  table.Add(210280, "PrintImsCheck", PrintImsCheck);
  table.Add(210340, "PrintServicePattern", PrintLineSheet);
  table.Add(210370, "SendNetworkNozzleCheck", SendNetworkNozzleCheck);
}

}  // namespace operations
