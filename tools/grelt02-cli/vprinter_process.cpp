#include "vprinter_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/paths.h"

extern char** environ;

namespace cli {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr auto kComeUp = std::chrono::seconds(10);
constexpr auto kGoAway = std::chrono::seconds(5);
constexpr const char* kLogFile = "vprinterd.log";

// The server program: beside this one, as the build and an installation place them.
std::string DaemonProgram() {
  return (fs::read_symlink("/proc/self/exe").parent_path() / "vprinterd").string();
}

std::string LogTail(const std::string& folder) {
  std::ifstream in(platform::JoinPath(folder, kLogFile));
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty()) last = line;
  return last;
}

}  // namespace

int StartPrinterProcess(const vprinter::VirtualPrinterInfo& printer, int tcpPort, int lpdPort) {
  if (const int running = vprinter::ServerPid(printer)) return running;
  const std::string endpoint = platform::JoinPath(printer.folder, vprinter::kServerEndpointFile);
  std::error_code ignored;
  fs::remove(endpoint, ignored);  // a killed server's; the new one writes its own when it listens
  const std::string program = DaemonProgram();
  const std::string log = platform::JoinPath(printer.folder, kLogFile);
  std::vector<std::string> args = {program, "--folder", printer.folder};
  if (tcpPort >= 0) args.insert(args.end(), {"--tcp", std::to_string(tcpPort)});
  if (lpdPort >= 0) args.insert(args.end(), {"--lpd-port", std::to_string(lpdPort)});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);  // outlives this command
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, program.c_str(), &files, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  const auto deadline = std::chrono::steady_clock::now() + kComeUp;
  while (std::chrono::steady_clock::now() < deadline) {
    if (fs::file_size(endpoint, ignored) > 0 && !ignored) return pid;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
      throw std::runtime_error("the printer's server ended at once: " + LogTail(printer.folder));
    std::this_thread::sleep_for(milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  throw std::runtime_error("the printer's server did not come up in time");
}

int PrinterLpdPort(const vprinter::VirtualPrinterInfo& printer) {
  int port = 0;
  if (vprinter::ServerPid(printer) != 0)
    std::ifstream(platform::JoinPath(printer.folder, vprinter::kServerLpdFile)) >> port;
  return port;
}

void StopPrinterProcess(const vprinter::VirtualPrinterInfo& printer) {
  const int pid = vprinter::ServerPid(printer);
  if (pid == 0) return;
  ::kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kGoAway;
  while (vprinter::ProcessRunning(pid)) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      break;
    }
    std::this_thread::sleep_for(milliseconds(20));
  }
}

}  // namespace cli
