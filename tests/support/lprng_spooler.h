#pragma once
// Debian's LPRng line printer daemon as a real peer of the network sender: started in a mount
// namespace of its own, where its configuration file is a scratch one, so that it listens on a
// free port, spools into a scratch folder and prints each job into one file there, and nothing of
// the machine's own printing set-up is touched. Needs root (for the namespace) and the lprng
// package; WhyNot() says what is missing when it cannot run.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/loopback.h"
#include "support/temp_folder.h"

extern char** environ;

namespace testing_support {

// Why LPRng's `program` cannot run here with a configuration of its own, or "" when it can: the
// package must be installed, and the configuration is bind-mounted in a mount namespace of the
// program's own, which needs root and a machine that allows them.
inline std::string WhyLprngCannotRun(const char* program) {
  namespace fs = std::filesystem;
  if (!fs::exists(program) || !fs::exists("/etc/lprng/lpd.conf"))
    return "Debian's lprng package is not installed (./test.sh installs it)";
  if (::geteuid() != 0 || std::system("unshare -m true >/dev/null 2>&1") != 0)
    return std::string(program) +
           " runs in a mount namespace of its own, which needs root and a machine that allows them";
  return "";
}

// The shell command that runs `command` with the scratch file `config` in place of LPRng's own
// configuration, seen by that command alone.
inline std::string WithLprngConfig(const std::string& config, const std::string& command) {
  return "mount --bind '" + config + "' /etc/lprng/lpd.conf && exec " + command;
}

class LprngSpooler {
public:
  static constexpr const char* kDaemon = "/usr/sbin/lpd";

  LprngSpooler() {
    namespace fs = std::filesystem;
    whyNot_ = WhyLprngCannotRun(kDaemon);
    if (!whyNot_.empty()) return;
    const int listener = ListenOnLoopback(port_);  // a free port, given back to the daemon
    ::close(listener);
    const std::string root = folder_.Path();
    fs::create_directories(root + "/spool");
    std::ofstream{Printed()};
    for (const std::string& path : {root, root + "/spool", Printed()})
      fs::permissions(path, fs::perms::all);  // the daemon works as its own user
    std::ofstream(root + "/lpd.conf") << "printcap_path=" << root << "/printcap\n"
                                      << "lpd_printcap_path=" << root << "/printcap\n"
                                      << "perms_path=" << root << "/lpd.perms\n"
                                      << "lpd_listen_port=" << port_ << "\n"
                                      << "unix_socket_path=off\n"
                                      << "lockfile=" << root << "/lpd.lock\n";
    std::ofstream(root + "/lpd.perms") << "DEFAULT ACCEPT\n";
    // The queue the sender names; no banner, no size limit, no filter: the job as it came.
    std::ofstream(root + "/printcap")
        << "PASSTHRU:sd=" << root << "/spool:lp=" << Printed() << ":sh:mx=0\n";
    const std::string script = WithLprngConfig(root + "/lpd.conf", std::string(kDaemon) + " -F");
    const char* argv[] = {"unshare", "-m", "sh", "-c", script.c_str(), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = ::posix_spawnp(&pid_, "unshare", nullptr, &attributes,
                                       const_cast<char* const*>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
      whyNot_ = "unshare could not be started";
      pid_ = -1;
      return;
    }
    if (!Listening()) whyNot_ = "LPRng's daemon did not start listening (no mount namespace?)";
  }
  ~LprngSpooler() {
    if (pid_ <= 0) return;
    ::kill(-pid_, SIGTERM);  // the daemon and the printing processes it started
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  LprngSpooler(const LprngSpooler&) = delete;
  LprngSpooler& operator=(const LprngSpooler&) = delete;

  const std::string& WhyNot() const { return whyNot_; }
  int Port() const { return port_; }
  // What the daemon printed: the file its queue prints into, once a job was written to it (or
  // nothing after the time allowed).
  std::string PrintedJob(std::chrono::milliseconds allowed = std::chrono::seconds(10)) {
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, Printed().c_str(), IN_CLOSE_WRITE);
    if (std::filesystem::file_size(Printed()) == 0) {
      pollfd ready{watch, POLLIN, 0};
      ::poll(&ready, 1, static_cast<int>(allowed.count()));
    }
    ::close(watch);
    return ReadWholeFile(Printed());
  }

private:
  std::string Printed() const { return folder_.Path() + "/printed"; }

  // The daemon takes a moment to read its set-up; a connection that succeeds says it listens.
  bool Listening() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      const int fd = ConnectToLoopback(port_);
      if (fd >= 0) {
        ::close(fd);
        return true;
      }
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) return false;  // it gave up
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  TempFolder folder_;
  int port_ = 0;
  pid_t pid_ = -1;
  std::string whyNot_;
};

// LPRng's own client, lpr, sending a file to queue@host%port, with a scratch configuration of its
// own (in its own mount namespace, like the daemon). Its exit code; why it could not run in
// *whyNot (then -1).
inline int SendWithLpr(const std::string& destination, const std::string& file,
                       std::string* whyNot) {
  *whyNot = WhyLprngCannotRun("/usr/bin/lpr");
  if (!whyNot->empty()) return -1;
  TempFolder folder;
  std::ofstream(folder.Path() + "/printcap");
  std::ofstream(folder.Path() + "/lpd.conf") << "printcap_path=" << folder.Path() << "/printcap\n";
  const std::string command =
      "unshare -m sh -c \"" +
      WithLprngConfig(folder.Path() + "/lpd.conf", "lpr -P '" + destination + "' '" + file + "'") +
      "\" 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testing_support
