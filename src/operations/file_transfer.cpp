#include "operations/file_transfer.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "encoder/raster_commands.h"
#include "operations/dispatcher.h"
#include "operations/service_record.h"
#include "operations/shared_steps.h"

namespace operations {
namespace {

constexpr int kMsgFirmwareSent = 19005001;
constexpr int kMsgNotSent = 99000503;
constexpr int kMsgNoFile = 99000504;
constexpr int kChunk = 1024;
constexpr int kFirstUsbPrinter = 0;
constexpr std::chrono::milliseconds kPoll{1000};
constexpr std::uint32_t kTransferColour = 0x00C08000;  // 0x00BBGGRR: a blue bar

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// A transfer's progress dialog: the bytes the printer took of the whole file, a step a percent
// (a window update for every chunk would slow the transfer), then the printer's own phases.
class TransferProgress {
public:
  TransferProgress(ui::UiServices& ui, const std::string& path)
      : dialog_(ui, "Sending " + FileName(path) + " to the printer", kTransferColour, 100),
        size_(FileSize(path)) {
    dialog_.Set(0);
  }
  printer::SendProgress Reporter() {
    return [this](std::uint64_t sent) {
      const int percent =
          size_ == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(100, sent * 100 / size_));
      if (percent == percent_) return;
      percent_ = percent;
      dialog_.Set(percent);
    };
  }
  // A phase of the printer's own, whose length nobody knows: the bar only says it is busy.
  void Phase(const std::string& text) { dialog_.Switch(text, kTransferColour, 0); }
  void Close() { dialog_.Close(); }

private:
  static std::uint64_t FileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
  }

  ScopedProgressDialog dialog_;
  std::uint64_t size_;
  int percent_ = 0;
};

// What the record says of the printer, read while the link is open: its firmware (the new one
// after an update), serial number and LastError.
void NoteThePrinter(const ServiceEnvironment& env, printer::CPrinterLink& link, RecordedRun& run) {
  run.lastError = link.LastError();
  if (!ServiceRecordOn(env)) return;
  // The serial number is read with the model's access code.
  if (link.ReadRomVersion(run.romVersion) && link.SetModel(run.romVersion.substr(0, 2)))
    run.serial = ReadRecordSerial(link);
}

// A printer that took a whole firmware file is gone from the bus while it restarts: it is
// opened again, a second apart, until it answers. Installed when it comes back on another
// version than it ran before (`before`, "" when that could not be read).
bool AwaitRestart(const ServiceEnvironment& env, printer::CPrinterLink& link,
                  const std::string& before, TransferProgress& progress) {
  progress.Phase("The printer restarts with the new firmware");
  link.Close();
  for (int poll = 0; poll < kFirmwareRestartPolls; ++poll) {
    env.clock.Sleep(kPoll);
    if (!link.Open(env.ConfiguredPort())) continue;
    std::string version;
    return link.ReadRomVersion(version) && version != before;
  }
  return false;
}

// A printer that took a whole file has not installed it yet: it checks the file as it installs,
// and a damaged one, or one that stopped short, ends in an error instead of the ready state. A
// good one restarts the printer, which then answers no more until it is back.
bool ConfirmInstalled(const ServiceEnvironment& env, printer::CPrinterLink& link,
                      const std::string& before, TransferProgress& progress) {
  progress.Phase("The printer installs the firmware");
  for (int poll = 0; poll < kFirmwareConfirmPolls; ++poll) {
    driver::STATUSINF status;
    if (!link.GetStatus(status)) return AwaitRestart(env, link, before, progress);
    if (status.type == driver::kStatusError) return false;
    if (status.type == driver::kStatusReady) return true;
    env.clock.Sleep(kPoll);
  }
  return false;
}

// Through the port writer the printer waits for firmware and cannot be asked; it is done when
// it opens normally again.
bool ConfirmRestarted(const ServiceEnvironment& env, printer::CPrinterLink& link, RecordedRun& run,
                      TransferProgress& progress) {
  progress.Phase("The printer restarts with the new firmware");
  for (int poll = 0; poll < kFirmwareConfirmPolls; ++poll) {
    if (link.Open(env.ConfiguredPort())) {
      const bool installed = ConfirmInstalled(env, link, "", progress);
      NoteThePrinter(env, link, run);
      link.Close();
      return installed;
    }
    env.clock.Sleep(kPoll);
  }
  return false;
}

// The row of a file refused before the printer was opened: no printer was asked, so no model,
// firmware or serial number.
void RecordRefusedFile(const ServiceEnvironment& env, int function, const std::string& title) {
  RecordedRun run;
  run.functionNumber = function;
  run.title = title;
  RecordRun(env, run);
}

}  // namespace

bool SendableFile(const std::string& path) {
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return !error && size > 0 && std::ifstream(path, std::ios::binary).good();
}

bool UpdateFirmware(const ServiceEnvironment& env, printer::CPrinterLink& link,
                    const std::string& path) {
  const menu::MenuFiles& messages = env.catalogue;
  if (path.empty()) {
    messages.ShowMessageById(kMsgNoFile, ui::kOk);
    return false;
  }
  env.BeginRun();
  RecordedRun run;
  run.functionNumber = kFirmwareFunction;
  run.title = "Firmware update " + FileName(path);
  if (!SendableFile(path)) {
    messages.ShowMessageById(kMsgFileProblem, ui::kOk);
    RecordRefusedFile(env, run.functionNumber, run.title);
    return false;
  }
  {
    const ui::ScopedWaitCursor cursor(env.ui);
    if (link.Open(env.ConfiguredPort())) {
      std::string before;
      link.ReadRomVersion(before);
      TransferProgress progress(env.ui, path);
      run.succeeded = link.SendFile(path, kChunk, progress.Reporter()) &&
                      ConfirmInstalled(env, link, before, progress);
      progress.Close();
      NoteThePrinter(env, link, run);
      link.Close();
    } else if (link.LastError() == driver::kDrvBootMode) {
      TransferProgress progress(env.ui, path);
      run.succeeded = link.WritePortFile(kFirstUsbPrinter, path, kChunk, progress.Reporter()) &&
                      ConfirmRestarted(env, link, run, progress);
    } else {
      messages.ShowMessageById(kMsgNoPrinter, ui::kOk);
      return false;
    }
  }
  messages.ShowMessageById(run.succeeded ? kMsgFirmwareSent : kMsgNotSent, ui::kOk);
  RecordRun(env, run);
  return run.succeeded;
}

bool PrintFile(const ServiceEnvironment& env, printer::CPrinterLink& link,
               const std::string& path) {
  env.BeginRun();
  RecordedRun run;
  run.functionNumber = kPrintFileFunction;
  run.title = "Print file " + FileName(path);
  if (!SendableFile(path)) {
    env.ui.ShowMessageDialog(kFileNotFound, 2);
    RecordRefusedFile(env, run.functionNumber, run.title);
    return false;
  }
  if (!link.Open(env.ConfiguredPort())) {
    env.catalogue.ShowMessageById(kMsgNoPrinter, ui::kOk);
    return false;
  }
  link.ClearJob();
  {
    TransferProgress progress(env.ui, path);
    run.succeeded = encoder::ResetPrinter(link) && link.FlushJob() &&
                    link.SendFile(path, kChunk, progress.Reporter());
  }
  NoteThePrinter(env, link, run);
  link.Close();
  if (!run.succeeded) env.ui.ShowMessageDialog(kCommunicationError, 2);
  RecordRun(env, run);
  return run.succeeded;
}

}  // namespace operations
