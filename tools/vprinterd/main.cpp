// vprinterd: one virtual printer in a process of its own, served to the program (and to every
// other process) over a Unix domain socket in its folder, or a loopback TCP port, and, on request,
// with a line printer daemon on a loopback port, as a network printer has. It works on the
// printer's own folder and state file, as the in-process printer does, and says where it listens
// in the folder once it does. SIGTERM or SIGINT ends it; the printer's state is saved.

#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <thread>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "vprinter/attachment.h"
#include "vprinter/device_server.h"
#include "vprinter/lpd_server.h"
#include "vprinter/virtual_printer.h"

namespace {

bool WriteSmallFile(const std::string& path, const std::string& text) {
  return platform::ReplaceFile(path, text, false);
}

// The printer's servers and the files in its folder that say where they listen.
class PrinterService {
public:
  PrinterService(std::string folder, std::shared_ptr<vprinter::VirtualPrinter> printer)
      : folder_(std::move(folder)),
        printer_(std::move(printer)),
        devices_(printer_),
        lpd_([this](const std::vector<std::uint8_t>& data) { printer_->ReceiveNetworkJob(data); }) {
  }
  ~PrinterService() {
    std::error_code ignored;
    for (const char* file : {vprinter::kServerEndpointFile, vprinter::kServerPidFile,
                             vprinter::kServerSocketFile, vprinter::kServerLpdFile})
      std::filesystem::remove(File(file), ignored);
  }

  // Listens (the LPD port first, so that the endpoint written last says everything is up).
  bool Start(int tcpPort, int lpdPort) {
    if (lpdPort >= 0) {
      const std::string lpd = lpd_.ListenTcp(lpdPort);
      if (lpd.empty() ||
          !WriteSmallFile(File(vprinter::kServerLpdFile), lpd.substr(lpd.rfind(':') + 1) + "\n"))
        return false;
      lpdServing_ = std::thread([this] { lpd_.Serve(); });
    }
    location_ = tcpPort >= 0 ? devices_.ListenTcp(tcpPort)
                             : devices_.ListenUnix(File(vprinter::kServerSocketFile));
    return !location_.empty() &&
           WriteSmallFile(File(vprinter::kServerPidFile), std::to_string(::getpid()) + "\n") &&
           WriteSmallFile(File(vprinter::kServerEndpointFile), location_ + "\n");
  }
  // Serves until one of the ending signals arrives.
  void Run(sigset_t ending) {
    std::cout << "vprinterd: " << folder_ << " at " << location_ << std::endl;
    std::thread waiter([this, ending] {
      int signal = 0;
      sigwait(&ending, &signal);
      Stop();
    });
    devices_.Serve();
    waiter.join();
  }
  void Stop() {
    devices_.Stop();
    lpd_.Stop();
    if (lpdServing_.joinable()) lpdServing_.join();
  }

private:
  std::string File(const char* name) const { return platform::JoinPath(folder_, name); }

  std::string folder_;
  std::shared_ptr<vprinter::VirtualPrinter> printer_;
  vprinter::DeviceServer devices_;
  vprinter::LpdServer lpd_;
  std::thread lpdServing_;
  std::string location_;
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"A virtual printer in a process of its own"};
  std::string folder;
  int tcpPort = -1;
  int lpdPort = -1;
  app.add_option("--folder", folder, "The printer's folder (VirtualPrinters/<name>)")->required();
  app.add_option("--tcp", tcpPort,
                 "Listen on this loopback TCP port (0: any) instead of the socket");
  app.add_option("--lpd-port", lpdPort,
                 "Serve the printer's line printer daemon on this loopback port (0: any)");
  CLI11_PARSE(app, argc, argv);
  platform::TreatFileSizeLimitAsFullDisk();

  // The signals that end it are taken by a thread of its own, never by a handler.
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);

  std::string problem;
  auto printer = vprinter::VirtualPrinter::Open(folder, platform::DefaultClock(), &problem);
  if (!printer) {
    std::cerr << "vprinterd: no printer in " << folder << ": " << problem << '\n';
    return 2;
  }
  PrinterService service(folder, printer);
  if (!service.Start(tcpPort, lpdPort)) {
    std::cerr << "vprinterd: cannot listen for " << folder << '\n';
    service.Stop();
    return 2;
  }
  service.Run(ending);
  return 0;
}
