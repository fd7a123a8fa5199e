// Service prints and measurements: the sheets a technician prints and reads, the nozzle check,
// and the motor load measurements.
//
// Operations:
//   210040  PrintServicePattern: the mechanical adjustment sheet
//   210060  PrintServicePattern: the carriage motor measurement
//   210090  RunNozzleCheck: generated in three dot sizes, or the shipped print file
//   210110  PrintServicePattern: inspection sheet 1
//   210120  PrintServicePattern: inspection sheet 2
//   210190  PrintServicePattern: the paper-feed motor measurement
//   210340  PrintServicePattern: the line-position sheet
//   210370  SendNetworkNozzleCheck: a fixed nozzle-check job to a printer on the network

#include <filesystem>
#include <optional>
#include <system_error>

#include "operations/service_operations.h"
#include "operations/shared_steps.h"
#include "patterns/adjustment_sheets.h"
#include "patterns/motor_measurement.h"
#include "patterns/nozzle_check.h"
#include "printer/network_sender.h"

namespace operations {
namespace {

constexpr int kMsgDone = 10000001;
constexpr int kMsgFileProblem = 90000007;
constexpr int kSheetPolls = 600;
constexpr int kNozzleCheckPolls = 120;

bool Show(OperationRun& run, int message, bool result) {
  run.env.catalogue.ShowMessageById(message, ui::kOk);
  return result;
}

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
  void WaitReady(int polls) { run_.link.WaitForStatus(polls, kStatusReady, -1); }

private:
  OperationRun& run_;
  std::optional<ScopedWaitDialog> wait_;
};

bool PrintMechanicalSheet(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 5);
  if (!patterns::PrintMechanicalSheet(run.link, header, run.env.versionText)) return false;
  print.WaitReady(kSheetPolls);
  return true;
}

bool PrintLineSheet(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 5);
  if (!patterns::PrintLineSheet(run.link, header, run.env.versionText)) return false;
  print.WaitReady(kSheetPolls);
  run.request.printFinished = 1;
  return true;
}

template <bool (*Sheet)(printer::CPrinterLink&, const patterns::PrintHeaderInfo&,
                        std::string_view)>
bool PrintInspectionSheet(OperationRun& run) {
  patterns::PrintHeaderInfo header;
  if (!GatherPrintHeader(run, header)) return false;
  PrintRun print(run, 1);
  return Sheet(run.link, header, run.env.versionText) ? print.Done() : print.Failed();
}

template <bool (*Measure)(printer::CPrinterLink&)>
bool MeasureMotor(OperationRun& run) {
  PrintRun print(run, 1);
  return Measure(run.link) ? print.Done() : print.Failed();
}

// The nozzle check as the shipped print file: sent through a copy of its own, so the shipped
// file is never held open while the printer takes it; the copy goes when it was sent.
constexpr const char* kNozzleCheckFile = "NOZ_Check_Dossa.prn";

bool SendNozzleCheckFile(OperationRun& run) {
  namespace fs = std::filesystem;
  const fs::path folder = run.env.folders.printFile;
  const fs::path copy = folder / ("DOSSA" + std::to_string(run.link.Port()) + ".prn");
  std::error_code error;
  if (!fs::copy_file(folder / kNozzleCheckFile, copy, fs::copy_options::overwrite_existing, error))
    return Show(run, kMsgFileProblem, false);
  const bool sent = run.link.SendFile(copy.string(), 1024);
  fs::remove(copy, error);
  return sent;
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
  print.WaitReady(kNozzleCheckPolls);
  return print.Done();
}

// The printer's own nozzle check, started in remote mode: enter remote mode ("REMOTE1"), the
// nozzle check command "NC", leave remote mode, then CR LF FF and two resets.
constexpr std::uint8_t kNetworkNozzleCheck[30] = {
    0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 0x52, 0x45, 0x4D, 0x4F, 0x54, 0x45, 0x31, 0x4E, 0x43,
    0x02, 0x00, 0x00, 0x00, 0x1B, 0x00, 0x00, 0x00, 0x0D, 0x0A, 0x0C, 0x1B, 0x40, 0x1B, 0x40};

bool SendNetworkNozzleCheck(OperationRun& run) {
  const std::string& host = run.request.inputText;
  if (host.empty() || !printer::SendNetworkJob(host, kNetworkNozzleCheck, sizeof kNetworkNozzleCheck,
                                               run.env.ui, run.env.lpdPort))
    return Show(run, kMsgPrinterFailed, false);
  run.request.done = 1;
  return true;
}

}  // namespace

void AddServicePrintOperations(OperationTable& table) {
  table.Add(210040, "PrintServicePattern", PrintMechanicalSheet);
  table.Add(210060, "PrintServicePattern", MeasureMotor<patterns::MeasureCrMotor>);
  table.Add(210090, "RunNozzleCheck", RunNozzleCheck);
  table.Add(210110, "PrintServicePattern", PrintInspectionSheet<patterns::PrintInspectionSheet1>);
  table.Add(210120, "PrintServicePattern", PrintInspectionSheet<patterns::PrintInspectionSheet2>);
  table.Add(210190, "PrintServicePattern", MeasureMotor<patterns::MeasurePfMotor>);
  table.Add(210340, "PrintServicePattern", PrintLineSheet);
  table.Add(210370, "SendNetworkNozzleCheck", SendNetworkNozzleCheck);
}

}  // namespace operations
