#include "vprinter/attachment.h"

#include <signal.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "driver/product_constants.h"
#include "platform/paths.h"
#include "vprinter/firmware_file.h"
#include "vprinter/virtual_printer.h"

namespace vprinter {
namespace {

constexpr const char* kScheme = "vprinter:";
constexpr const char* kProcessScheme = "vprinterd:";

bool ValidName(const std::string& name) {
  if (name.empty() || name.size() > 40) return false;
  for (const char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '-' && c != '_') return false;
  }
  return true;
}

}  // namespace

std::string VirtualPrintersFolder(const std::string& programFolder) {
  return platform::JoinPath(programFolder, "VirtualPrinters");
}

std::string LinkFor(const std::string& name) {
  char hash[16];
  std::snprintf(hash, sizeof hash, "%08X",
                Crc32(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
  std::string instance = std::string("VP") + hash;
  for (const char c : name) {
    if (instance.size() == 20) break;
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
      instance += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return std::string("\\\\?\\USB#VID_7E57&PID_0A01#") + instance + "#" + driver::kUsbPrintClassGuid;
}

std::optional<VirtualPrinterInfo> AttachVirtualPrinter(driver::DeviceDirectory& directory,
                                                       const std::string& programFolder,
                                                       const std::string& model,
                                                       const std::string& name, int port,
                                                       platform::Clock& clock, std::string* error,
                                                       bool newBoard, bool process) {
  auto fail = [error](std::string why) -> std::optional<VirtualPrinterInfo> {
    if (error != nullptr) *error = std::move(why);
    return std::nullopt;
  };
  if (!ValidName(name)) return fail("a printer name takes 1 to 40 letters, digits, '-' or '_'");
  if (model.size() != 2 || std::isupper(static_cast<unsigned char>(model[0])) == 0 ||
      std::isupper(static_cast<unsigned char>(model[1])) == 0) {
    return fail("a model code is two capital letters");
  }
  const std::string folder = platform::JoinPath(VirtualPrintersFolder(programFolder), name);
  std::string problem;
  std::shared_ptr<VirtualPrinter> printer;
  if (newBoard) {
    PrinterState board = NewBoardImage(model, name);
    board.port = port;
    printer = VirtualPrinter::Create(folder, std::move(board), clock,
                                     "main board exchanged: a new board of model " + model);
  } else {
    printer = VirtualPrinter::Open(folder, clock, &problem);
    if (!printer) printer = VirtualPrinter::Create(folder, model, name, port, clock);
  }
  if (!printer) return fail("cannot make the printer's folder " + folder);
  const std::string absolute = std::filesystem::absolute(folder).string();
  driver::Attachment attachment{LinkFor(name), port,
                                (process ? kProcessScheme : kScheme) + absolute};
  if (!directory.Attach(attachment)) return fail("cannot write the printer's registry entry");
  return VirtualPrinterInfo{name, absolute, attachment, process};
}

bool DetachVirtualPrinter(driver::DeviceDirectory& directory, const std::string& name) {
  return ValidName(name) && directory.Detach(LinkFor(name));
}

std::vector<VirtualPrinterInfo> AttachedVirtualPrinters(const driver::DeviceDirectory& directory) {
  std::vector<VirtualPrinterInfo> printers;
  for (const driver::Attachment& attachment : directory.Attachments()) {
    for (const std::string scheme : {kScheme, kProcessScheme}) {
      if (attachment.endpoint.rfind(scheme, 0) != 0) continue;
      const std::string folder = attachment.endpoint.substr(scheme.size());
      printers.push_back({std::filesystem::path(folder).filename().string(), folder, attachment,
                          scheme == kProcessScheme});
    }
  }
  return printers;
}

bool ProcessRunning(int pid) {
  if (pid <= 0 || ::kill(pid, 0) != 0) return false;
  // A process that has ended but was not yet waited for still answers kill: its state says Z.
  std::string stat;
  std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/stat"), stat);
  const std::size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] != 'Z';
}

int ServerPid(const VirtualPrinterInfo& printer) {
  if (!printer.process) return 0;
  int pid = 0;
  std::ifstream(platform::JoinPath(printer.folder, kServerPidFile)) >> pid;
  return ProcessRunning(pid) ? pid : 0;
}

}  // namespace vprinter
