// The fault campaign: every operation the dispatcher runs, and the firmware update and file print,
// against a printer that fails at each point where it can fail: gone from the bus from the Nth
// call on, status reads that stop answering, a failing block read or write, paper that runs out
// or jams while a job arrives, an erase that never finishes, an option unit that does not answer,
// a printer that stays busy, a disk that is full. Each case starts from a fresh printer and is held
// against the same operation's clean run. Whatever happens, the run ends within a bound of the
// injected clock, leaves no dialog open and the worker free; a run that says it succeeded did what
// the clean run did; a run that failed told so (a message other than the clean run's, or
// LastError), and left every NVRAM byte and every file either as it was or as the clean run leaves
// it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "driver/nvram_map.h"
#include "driver/socket_device.h"
#include "operations/dispatcher.h"
#include "operations/file_transfer.h"
#include "operations/service_operations.h"
#include "operations/service_record.h"
#include "platform/csv.h"
#include "support/full_disk.h"
#include "support/faulty_device.h"
#include "support/service_fixture.h"
#include "support/temp_folder.h"
#include "support/virtual_printer_bench.h"
#include "vprinter/device_server.h"
#include "vprinter/firmware_file.h"

namespace {

using namespace testing_support;
using operations::OperationRequest;

// A run that is still going after this much time on the injected clock is taken to hang: the
// longest clean run (the long maintenance's waits) takes under a quarter of it.
constexpr std::int64_t kHangBoundMs = 2 * 60 * 60 * 1000;
// The firmware update and the file print are runs of their own dialogs, not of the dispatcher.
constexpr int kFirmwareUpdate = -1;
constexpr int kFilePrint = -2;
// How many places of one kind the campaign fails a run at; a killed process costs a server
// thread, so fewer of those.
constexpr int kPlacesPerPoint = 10;
constexpr int kKillsPerRun = 3;

struct CaseHung {};

// What a run left behind, as far as anyone outside can see it.
struct Outcome {
  bool hung = false;
  bool succeeded = false;
  int lastError = 0;
  bool workerFree = true;
  int doneMessages = 0;
  std::vector<std::string> shown;  // message boxes and dialogs, in order
  bool waitOpen = false, progressOpen = false, waitCursor = false;
  vprinter::PrinterState printer;
  int pages = 0;
  std::map<std::string, std::string> files;  // beside the printer's own folder
  std::array<int, 16> shownValues{};
  std::string outputText;
  std::string recorded;     // the result the service record gives the run, "" for no row
  bool recordWhole = true;  // every row of the record files is complete
};

constexpr const char* kCsvFolder = "drive_c/ProfileName/CSV";

// The files a run may write, by path below the case's folder: all but the printer's own, the
// registry stand-in's, which name the case's folder, and the service record, which tells how
// each run went.
std::map<std::string, std::string> FilesBelow(const std::string& root, const std::string& printer) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string path = entry.path().string();
    if (!entry.is_regular_file() || path.rfind(printer, 0) == 0 ||
        path.rfind(root + "/Registry", 0) == 0 || path.rfind(root + "/" + kCsvFolder, 0) == 0)
      continue;
    files[path.substr(root.size())] = testing_support::ReadWholeFile(path);
  }
  return files;
}

// One case: a fresh printer behind a faulty device, the environment over it, one run.
class CampaignCase : public VirtualPrinterBench {
public:
  static constexpr int kFaultyPort = 8;

  explicit CampaignCase(const std::string& model) {
    std::string error;
    EXPECT_TRUE(AttachPrinter(model, &error)) << error;
    const std::string service = CopyShippedServiceFiles(folder / "Service");
    settings.pnInterface.values[0] = kFaultyPort;
    environment_ = std::make_unique<operations::ServiceEnvironment>(
        settings,
        operations::ServiceFolders{folder.Path(), service, folder / "Prnfile", folder / kCsvFolder,
                                   folder / "drive_c"},
        clock, ui, nullptr, directory);
  }
  ~CampaignCase() {
    FaultyDevice::Forget(deviceName_);
    StopServer();
  }

  // Puts a new faulty device on its port, failing at the point from its Nth call on. It has a
  // name of its own, as the library keeps the devices it connected to by name. A printer to be
  // killed is served as by its own process, over a Unix socket.
  void Arm(FailurePoint point, int at) {
    FaultyDevice::Forget(deviceName_);
    deviceName_ = folder.Path() + "#" + std::to_string(++armed_);
    if (point == FailurePoint::Killed) {
      StopServer();
      server_ = std::make_unique<vprinter::DeviceServer>(Printer());
      const std::string location = server_->ListenUnix(folder / "vprinterd.sock");
      serving_ = std::thread([this] { server_->Serve(); });
      device_ = std::make_shared<FaultyDevice>(
          Printer(), point, at, driver::ConnectSocketDevice(location), [this] { server_->Stop(); });
    } else {
      device_ = std::make_shared<FaultyDevice>(Printer(), point, at);
    }
    FaultyDevice::Register(deviceName_, device_);
    directory.Attach(
        {std::string("\\\\?\\USB#VID_7E57&PID_0A01#FAULTY#") + driver::kUsbPrintClassGuid,
         kFaultyPort, "faulty:" + deviceName_});
  }

  // Runs the subject once, as the dialog would, with every page input a sane default.
  Outcome Run(int subject) {
    request.colourFlags = {1, 1, 1, 1, 1};
    request.pageText = environment_->catalogue.ReadFunctionPageText(subject % 100000);
    const std::size_t callsBefore = ui.Calls().size();
    const int doneBefore = doneMessages_;
    const std::int64_t start = clock.TickMs();
    Outcome outcome;
    clock.OnSleep([this, start] {
      if (clock.TickMs() - start > kHangBoundMs) throw CaseHung{};
    });
    try {
      outcome.succeeded = RunSubject(subject);
    } catch (const CaseHung&) {
      outcome.hung = true;
    }
    clock.OnSleep({});
    Observe(outcome, callsBefore, doneBefore);
    return outcome;
  }

  FaultyDevice& Device() { return *device_; }
  // The file the firmware update or the file print sends, written once before its first run.
  std::string SubjectFile(int subject) {
    const std::string path = folder / (subject == kFirmwareUpdate ? "new.UPG" : "job.prn");
    if (std::filesystem::exists(path)) return path;
    const std::string model = Printer()->Snapshot().model;
    return subject == kFirmwareUpdate
               ? folder.Write("new.UPG", Text(vprinter::BuildFirmwareFile(
                                             {model, model + "09A0", vprinter::Bytes(5000, 7)})))
               : folder.Write("job.prn", std::string(300000, '\0'));
  }
  // The page's inputs: the runs keep what a preparation set.
  OperationRequest request;

  // Runs another operation cleanly, to prepare the subject's run.
  Outcome RunClean(int subject) {
    Arm(FailurePoint::None, 0);
    return Run(subject);
  }

private:
  bool RunSubject(int subject) {
    if (subject == kFirmwareUpdate) {
      const auto link = operations::MakeRunLink(*environment_);
      const bool installed = operations::UpdateFirmware(*environment_, *link, SubjectFile(subject));
      request.lastError = link->LastError();
      return installed;
    }
    if (subject == kFilePrint) {
      const auto link = operations::MakeRunLink(*environment_);
      const bool printed = operations::PrintFile(*environment_, *link, SubjectFile(subject));
      request.lastError = link->LastError();
      return printed;
    }
    ui.QueueFile(folder / "backup.bin");
    request.workerRunning = true;
    request.done = 0;
    if (subject == operations::kF11 || subject == operations::kF12) {
      request.hotKeyRun = 1;
      request.buttonBase = subject;
    } else {
      request.buttonBase = subject / 100000 * 100000;
      request.itemNumber = subject % 100000;
    }
    operations::RunOperation(request, {*environment_, table_, [this] { ++doneMessages_; }});
    return request.operationSucceeded;
  }

  void Observe(Outcome& outcome, std::size_t callsBefore, int doneBefore) {
    const std::vector<ui::UiCall> calls = ui.Calls();
    for (std::size_t i = callsBefore; i < calls.size(); ++i) {
      switch (calls[i].kind) {
        case ui::UiCallKind::MessageBox:
        case ui::UiCallKind::MessageDialog: outcome.shown.push_back(calls[i].text); break;
        // There is one wait and one progress dialog: showing it again changes its text.
        case ui::UiCallKind::Wait: outcome.waitOpen = true; break;
        case ui::UiCallKind::WaitClosed: outcome.waitOpen = false; break;
        case ui::UiCallKind::Progress: outcome.progressOpen = true; break;
        case ui::UiCallKind::ProgressClosed: outcome.progressOpen = false; break;
        case ui::UiCallKind::WaitCursor: outcome.waitCursor = true; break;
        case ui::UiCallKind::NormalCursor: outcome.waitCursor = false; break;
        default: break;
      }
    }
    outcome.lastError = request.lastError;
    outcome.workerFree = !request.workerRunning;
    outcome.doneMessages = doneMessages_ - doneBefore;
    outcome.printer = Printer()->Snapshot();
    outcome.pages = Printer()->PagesPrinted();
    outcome.files = FilesBelow(folder.Path(), info.folder);
    outcome.shownValues = request.shownValues;
    outcome.outputText = request.outputText;
    // The run's row is the one that was not there before.
    auto rows = record::ReadServiceRecord(folder / kCsvFolder, "");
    std::vector<record::ServiceRecordEntry> older = rowsBefore_;
    for (const auto& row : rows) {
      const auto seen = std::find(older.begin(), older.end(), row);
      if (seen == older.end())
        outcome.recorded = row.result;
      else
        older.erase(seen);
    }
    rowsBefore_ = std::move(rows);
    std::error_code none;
    for (const auto& file : std::filesystem::directory_iterator(folder / kCsvFolder, none)) {
      const std::string text = testing_support::ReadWholeFile(file.path());
      outcome.recordWhole &= platform::ParseCsv(text).completeLength == text.size();
    }
  }

  void StopServer() {
    if (!server_) return;
    server_->Stop();
    serving_.join();
    server_.reset();
  }

  static std::string Text(const vprinter::Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

  std::unique_ptr<operations::ServiceEnvironment> environment_;
  operations::OperationTable table_ = operations::ServiceOperations();
  int doneMessages_ = 0;
  std::vector<record::ServiceRecordEntry> rowsBefore_;
  std::shared_ptr<FaultyDevice> device_;
  std::string deviceName_;
  int armed_ = 0;
  std::unique_ptr<vprinter::DeviceServer> server_;
  std::thread serving_;
};

// Faults the printer has from the start rather than at one call.
struct StandingFault {
  const char* name;
  void (*set)(vprinter::Faults&);
};
constexpr StandingFault kStandingFaults[] = {
    {"erase-never-ends", [](vprinter::Faults& f) { f.eraseHangs = true; }},
    {"unit-not-ready", [](vprinter::Faults& f) { f.unitOffline = true; }},
    {"always-busy", [](vprinter::Faults& f) { f.stuckStatus = driver::kStatusBusy; }},
};

// The places of a kind to fail at, out of `count` calls that meet it: all when there are few,
// else spread from the first to the last.
std::vector<int> Places(int count, int most) {
  std::vector<int> places;
  for (int i = 0; i < std::min(count, most); ++i)
    places.push_back(count <= most ? i + 1 : 1 + i * (count - 1) / (most - 1));
  return places;
}

// The memories of a printer that a run can change: NVRAM, the two lists, the option unit's.
std::vector<const std::vector<std::uint8_t>*> Memories(const vprinter::PrinterState& s) {
  return {&s.nvram, &s.listA3, &s.listD6, &s.unit.nvram};
}
constexpr const char* kMemoryNames[] = {"NVRAM", "list A3", "list D6", "unit NVRAM"};

// Every value each byte took while a clean run went on: a run cut short may leave a byte at one
// of them (a measurement's "under way" flag, say), never at another.
class ByteHistory {
public:
  void Record(const vprinter::PrinterState& state) {
    const auto now = Memories(state);
    if (last_.empty()) {
      for (const auto* memory : now) last_.push_back(*memory);
      return;
    }
    for (std::size_t m = 0; m < now.size(); ++m) {
      if (*now[m] == last_[m]) continue;
      for (std::size_t i = 0; i < now[m]->size(); ++i)
        if ((*now[m])[i] != last_[m][i]) {
          took_[{m, i}].insert((*now[m])[i]);
          last_[m][i] = (*now[m])[i];
        }
    }
  }
  bool Took(std::size_t memory, std::size_t at, std::uint8_t value) const {
    const auto found = took_.find({memory, at});
    return found != took_.end() && found->second.count(value) != 0;
  }

private:
  std::vector<std::vector<std::uint8_t>> last_;
  std::map<std::pair<std::size_t, std::size_t>, std::set<std::uint8_t>> took_;
};

// Every byte of a memory holds a value the clean run gave it (or it had before).
std::string MixedBytes(const ByteHistory& history, std::size_t memory,
                       const std::vector<std::uint8_t>& before,
                       const std::vector<std::uint8_t>& after) {
  for (std::size_t i = 0; i < after.size(); ++i)
    if (after[i] != before[i] && !history.Took(memory, i, after[i])) {
      std::ostringstream out;
      out << kMemoryNames[memory] << " byte 0x" << std::hex << i << " holds 0x" << int{after[i]}
          << ", which a clean run never gives it";
      return out.str();
    }
  return {};
}

struct Baseline {
  Outcome before;  // nothing run yet
  Outcome clean;
  ByteHistory history;  // of the clean run
};

// What is wrong with a faulty run's outcome, or "" when it is sound.
std::string Judge(const Baseline& base, const Outcome& run) {
  if (run.hung) return "hung";
  if (!run.workerFree || run.doneMessages != base.clean.doneMessages) return "worker not freed";
  if (run.waitOpen || run.progressOpen) return "a wait or progress dialog left open";
  if (run.waitCursor) return "the wait cursor left on";
  if (!run.recordWhole) return "a service record row is cut short";
  if (!run.recorded.empty() && (run.recorded == record::kRecordDone) != run.succeeded)
    return "the service record says " + run.recorded;
  const auto& p = run.printer;
  const auto& c = base.clean.printer;
  if (run.succeeded) {
    const auto now = Memories(p);
    const auto clean = Memories(c);
    for (std::size_t m = 0; m < now.size(); ++m)
      if (*now[m] != *clean[m])
        return std::string("said it succeeded, but its ") + kMemoryNames[m] +
               " differs from the clean run's";
    if (run.files != base.clean.files) return "said it succeeded, but the files differ";
    if (run.pages != base.clean.pages) return "said it succeeded, but printed other pages";
    if (run.shownValues != base.clean.shownValues || run.outputText != base.clean.outputText)
      return "said it succeeded, but shows other values";
    return {};
  }
  if (base.clean.succeeded && run.shown == base.clean.shown && run.lastError == 0)
    return "failed without telling: the clean run's messages and no LastError";
  const auto before = Memories(base.before.printer);
  const auto after = Memories(p);
  for (std::size_t m = 0; m < after.size(); ++m)
    if (auto problem = MixedBytes(base.history, m, *before[m], *after[m]); !problem.empty())
      return problem;
  for (const auto& [path, content] : run.files) {
    const auto was = base.before.files.find(path);
    const auto clean = base.clean.files.find(path);
    const bool asBefore = was != base.before.files.end() && was->second == content;
    const bool asClean = clean != base.clean.files.end() && clean->second == content;
    if (!asBefore && !asClean) return "the file " + path + " is half-written";
  }
  return {};
}

// What a run is given so that its clean run does the whole work: the inputs a technician types
// and the printer the work needs.
using Preparation = void (*)(CampaignCase&);

struct Subject {
  int number;
  int selector = 0;
  Preparation prepare = nullptr;
  friend void PrintTo(const Subject& s, std::ostream* out) {
    *out << s.number << "/" << s.selector;
  }
};

void PreparePosition(CampaignCase& c) { c.request.measured = {16.0, 14.0, 16.0, 15.0}; }
void PrepareHeight(CampaignCase& c) { c.request.measured = {0, 14.0, 15.0, 0}; }
void PrepareMac(CampaignCase& c) {
  const auto& p = driver::kMacVendorPrefix;
  c.request.enteredValues = {p[0], p[1], p[2], 0x2D, 0x20, 0x00};
}
void PrepareSerial(CampaignCase& c) {
  c.Printer()->WriteNvram(driver::nvram::kSerialNumber, vprinter::Bytes(10, 0));
  c.request.inputText = "AB12345678";
}
void PrepareHeadId(CampaignCase& c) {
  c.Printer()->WriteNvram(driver::nvram::kHeadIdRegistered, {0});
  c.RunClean(310080);
  c.request.inputText = c.request.outputText;
}
void PrepareRestore(CampaignCase& c) { ASSERT_TRUE(c.RunClean(210200).succeeded); }
void PrepareImsPage(CampaignCase& c) {
  c.folder.Write("Prnfile/IMS_MechaAdjust_CE39_OQC_NC_RevA.prn", std::string(1500, '\x0D'));
}
void PrepareUnit(CampaignCase& c) {
  c.Printer()->ChangeUnit([](vprinter::UnitState& unit) { unit.lamp = "off,on"; });
  c.ui.QueueTemperature(23.0);
}

std::vector<Subject> Subjects() {
  const std::map<int, Preparation> preparations = {
      {110040, PreparePosition}, {110340, PrepareHeight}, {110220, PrepareMac},
      {110230, PrepareSerial},   {110080, PrepareHeadId}, {110200, PrepareRestore},
      {210280, PrepareImsPage},  {210410, PrepareUnit}};
  std::vector<Subject> subjects{{kFirmwareUpdate}, {kFilePrint}};
  for (const int number : operations::ServiceOperations().FunctionNumbers()) {
    if (operations::IsNetworkFunction(number)) continue;
    const auto prepare = preparations.find(number);
    subjects.push_back({number, 0, prepare == preparations.end() ? nullptr : prepare->second});
  }
  // The option unit's other functions, one selector each.
  for (int selector = 1; selector <= 6; ++selector)
    subjects.push_back({210410, selector, PrepareUnit});
#ifdef GRELT_CAMPAIGN_SAMPLE
  // The sanitizer build, many times slower, takes every Nth subject; the release build runs all.
  std::vector<Subject> sample;
  for (std::size_t i = 0; i < subjects.size(); i += GRELT_CAMPAIGN_SAMPLE)
    sample.push_back(subjects[i]);
  return sample;
#else
  return subjects;
#endif
}

std::string SubjectName(const testing::TestParamInfo<Subject>& info) {
  if (info.param.number == kFirmwareUpdate) return "FirmwareUpdate";
  if (info.param.number == kFilePrint) return "FilePrint";
  return "Function" + std::to_string(info.param.number) +
         (info.param.selector == 0 ? "" : "Selector" + std::to_string(info.param.selector));
}

class FaultCampaign : public testing::TestWithParam<Subject> {
protected:
  // A fresh printer for one case, prepared as the subject needs.
  std::unique_ptr<CampaignCase> Fresh() {
    auto run = std::make_unique<CampaignCase>("LW");
    run->request.selector = GetParam().selector;
    if (GetParam().prepare) GetParam().prepare(*run);
    return run;
  }
  Outcome RunCase(FailurePoint point, int at, void (*standing)(vprinter::Faults&) = nullptr) {
    auto run = Fresh();
    if (standing) {
      vprinter::Faults faults;
      standing(faults);
      run->Printer()->SetFaults(faults);
    }
    run->Arm(point, at);
    return run->Run(GetParam().number);
  }
  // The disk fills while the run goes on: no file may grow past kFullDiskBytes, which an NVRAM
  // image still fits but neither the list file nor the printer's own state does.
  Outcome RunOnAFullDisk() {
    constexpr rlim_t kFullDiskBytes = 66'000;
    auto run = Fresh();
    run->Arm(FailurePoint::None, 0);
    if (GetParam().number < 0) run->SubjectFile(GetParam().number);  // there before the disk fills
    const FullDisk full(kFullDiskBytes);
    return run->Run(GetParam().number);
  }
  void Expect(const Baseline& base, const Outcome& run, const std::string& label) {
    ++cases_;
    const std::string problem = Judge(base, run);
    if (problem.empty()) {
      ++survived_;
    } else {
      ADD_FAILURE() << label << ": " << problem;
    }
  }
  int cases_ = 0;
  int survived_ = 0;
};

TEST_P(FaultCampaign, EndsToldAndWholeAtEveryFailurePoint) {
  constexpr FailurePoint kPoints[] = {FailurePoint::Lost,        FailurePoint::Killed,
                                      FailurePoint::StatusFails, FailurePoint::ReadFails,
                                      FailurePoint::WriteFails,  FailurePoint::PaperOut,
                                      FailurePoint::PaperJam};
  Baseline base;
  std::map<FailurePoint, int> meeting;  // the calls of the clean run each point can strike
  {
    auto run = Fresh();
    run->Arm(FailurePoint::None, 0);
    base.before.printer = run->Printer()->Snapshot();
    base.history.Record(base.before.printer);
    run->Device().AfterEachCall([&] { base.history.Record(run->Printer()->Snapshot()); });
    base.before.files = FilesBelow(run->folder.Path(), run->info.folder);
    base.clean = run->Run(GetParam().number);
    ASSERT_FALSE(base.clean.hung);
    for (const FailurePoint point : kPoints) meeting[point] = run->Device().Meeting(point);
  }
  for (const FailurePoint point : kPoints) {
    const int most = point == FailurePoint::Killed ? kKillsPerRun : kPlacesPerPoint;
    for (const int at : Places(meeting[point], most))
      Expect(base, RunCase(point, at),
             std::string(PointName(point)) + " at call " + std::to_string(at));
  }
  for (const StandingFault& fault : kStandingFaults)
    Expect(base, RunCase(FailurePoint::None, 0, fault.set), fault.name);
  Expect(base, RunOnAFullDisk(), "disk-full");
  RecordProperty("cases", cases_);
  RecordProperty("survived", survived_);
  std::printf("[campaign] %s: %d cases, %d survived\n", SubjectName({GetParam(), 0}).c_str(),
              cases_, survived_);
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultCampaign, testing::ValuesIn(Subjects()), SubjectName);

}  // namespace
