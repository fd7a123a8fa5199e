// vprinterd: one virtual printer in a process of its own, served to the program (and to every
// other process) over a Unix domain socket in its folder, or a loopback TCP port. It works on the
// printer's own folder and state file, as the in-process printer does, and says where it listens
// in the folder once it does. SIGTERM or SIGINT ends it; the printer's state is saved.

#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "vprinter/attachment.h"
#include "vprinter/device_server.h"
#include "vprinter/virtual_printer.h"

namespace {

bool WriteSmallFile(const std::string& path, const std::string& text) {
  return platform::ReplaceFile(path, text, false);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"A virtual printer in a process of its own"};
  std::string folder;
  int tcpPort = -1;
  app.add_option("--folder", folder, "The printer's folder (VirtualPrinters/<name>)")->required();
  app.add_option("--tcp", tcpPort,
                 "Listen on this loopback TCP port (0: any) instead of the socket");
  CLI11_PARSE(app, argc, argv);

  // The signals that end it are taken by a thread of their own, never by a handler.
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
  vprinter::DeviceServer server(printer);
  const std::string socket = platform::JoinPath(folder, vprinter::kServerSocketFile);
  const std::string location = tcpPort >= 0 ? server.ListenTcp(tcpPort) : server.ListenUnix(socket);
  const std::string endpointFile = platform::JoinPath(folder, vprinter::kServerEndpointFile);
  const std::string pidFile = platform::JoinPath(folder, vprinter::kServerPidFile);
  if (location.empty() || !WriteSmallFile(pidFile, std::to_string(::getpid()) + "\n") ||
      !WriteSmallFile(endpointFile, location + "\n")) {
    std::cerr << "vprinterd: cannot listen for " << folder << '\n';
    return 2;
  }
  std::cout << "vprinterd: " << folder << " at " << location << std::endl;
  std::thread waiter([&] {
    int signal = 0;
    sigwait(&ending, &signal);
    server.Stop();
  });
  server.Serve();
  waiter.join();
  std::error_code ignored;
  for (const std::string& file : {endpointFile, pidFile, socket})
    std::filesystem::remove(file, ignored);
  return 0;
}
