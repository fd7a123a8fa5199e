#include "operations/file_transfer.h"

#include <chrono>

#include "encoder/raster_commands.h"
#include "operations/dispatcher.h"

namespace operations {
namespace {

constexpr int kMsgFirmwareSent = 19005001;
constexpr int kMsgNotSent = 99000503;
constexpr int kMsgNoFile = 99000504;
constexpr int kChunk = 1024;
constexpr int kFirstUsbPrinter = 0;
constexpr std::chrono::milliseconds kPoll{1000};

// A printer that took a whole file has not installed it yet: it checks the file as it installs,
// and a damaged one, or one that stopped short, ends in an error instead of the ready state.
bool ConfirmInstalled(const ServiceEnvironment& env, printer::CPrinterLink& link) {
  for (int poll = 0; poll < kFirmwareConfirmPolls; ++poll) {
    driver::STATUSINF status;
    if (!link.GetStatus(status) || status.type == driver::kStatusError) return false;
    if (status.type == driver::kStatusReady) return true;
    env.clock.Sleep(kPoll);
  }
  return false;
}

// Through the port writer the printer waits for firmware and cannot be asked; it is done when
// it opens normally again.
bool ConfirmRestarted(const ServiceEnvironment& env, printer::CPrinterLink& link) {
  for (int poll = 0; poll < kFirmwareConfirmPolls; ++poll) {
    if (link.Open(env.ConfiguredPort())) {
      const bool installed = ConfirmInstalled(env, link);
      link.Close();
      return installed;
    }
    env.clock.Sleep(kPoll);
  }
  return false;
}

}  // namespace

bool UpdateFirmware(const ServiceEnvironment& env, printer::CPrinterLink& link,
                    const std::string& path) {
  const menu::MenuFiles& messages = env.catalogue;
  if (path.empty()) {
    messages.ShowMessageById(kMsgNoFile, ui::kOk);
    return false;
  }
  bool installed = false;
  {
    const ui::ScopedWaitCursor cursor(env.ui);
    if (link.Open(env.ConfiguredPort())) {
      installed = link.SendFile(path, kChunk) && ConfirmInstalled(env, link);
      link.Close();
    } else if (link.LastError() == driver::kDrvBootMode) {
      installed = link.WritePortFile(kFirstUsbPrinter, path, kChunk) && ConfirmRestarted(env, link);
    } else {
      messages.ShowMessageById(kMsgNoPrinter, ui::kOk);
      return false;
    }
  }
  messages.ShowMessageById(installed ? kMsgFirmwareSent : kMsgNotSent, ui::kOk);
  return installed;
}

bool PrintFile(const ServiceEnvironment& env, printer::CPrinterLink& link,
               const std::string& path) {
  if (!link.Open(env.ConfiguredPort())) {
    env.catalogue.ShowMessageById(kMsgNoPrinter, ui::kOk);
    return false;
  }
  link.ClearJob();
  if (!encoder::ResetPrinter(link) || !link.FlushJob()) {
    link.Close();
    env.ui.ShowMessageDialog(kCommunicationError, 2);
    return false;
  }
  const bool sent = link.SendFile(path, kChunk);
  link.Close();
  if (!sent) env.ui.ShowMessageDialog(kCommunicationError, 2);
  return sent;
}

}  // namespace operations
