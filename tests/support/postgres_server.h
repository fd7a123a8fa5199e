#pragma once
// Debian's PostgreSQL server as the line database's real peer: a cluster made by initdb in a
// scratch folder and run by an unprivileged user (PostgreSQL refuses root; as root the tests run
// it as "nobody"), listening on a Unix socket in that folder and on a free loopback port, and
// stopped at the end. The administrator "grelt_admin" is trusted on the socket; on the loopback
// port every role needs its password. WhyNot() says what is missing when it cannot run.

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/loopback.h"
#include "support/temp_folder.h"

namespace testing_support {

class PostgresServer {
public:
  static constexpr const char* kAdmin = "grelt_admin";

  PostgresServer() {
    namespace fs = std::filesystem;
    bin_ = FindBin();
    if (bin_.empty()) {
      whyNot_ = "Debian's postgresql package is not installed (./test.sh installs it)";
      return;
    }
    StopServersOfCrashedTests(bin_);
    folder_.Write("owner", std::to_string(::getpid()));
    const int listener = ListenOnLoopback(port_);  // a free port, given back to the server
    ::close(listener);
    fs::permissions(folder_.Path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directories(folder_ / "data");
    fs::create_directories(folder_ / "socket");
    if (::geteuid() == 0 &&
        std::system(
            ("chown nobody '" + folder_ / "data" + "' '" + folder_ / "socket" + "'").c_str()) !=
            0) {
      whyNot_ = "the scratch folder cannot be given to the user nobody";
      return;
    }
    if (!AsServerUser(bin_ + "/initdb -D '" + folder_ / "data" + "' -U " + kAdmin +
                      " --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --no-locale "
                      "--no-sync >'" +
                      folder_ / "socket/initdb.log" + "' 2>&1")) {
      whyNot_ = "initdb failed: " + Log("socket/initdb.log");
      return;
    }
    if (!Start()) whyNot_ = "the server did not start: " + Log("socket/server.log");
  }
  ~PostgresServer() {
    if (whyNot_.empty()) Stop();
  }
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  const std::string& WhyNot() const { return whyNot_; }
  int Port() const { return port_; }

  // Over the Unix socket, as the administrator unless another user is named.
  std::string Connection(const std::string& database, const std::string& user = kAdmin) const {
    return "host=" + folder_ / "socket" + " port=" + std::to_string(port_) + " dbname=" + database +
           " user=" + user;
  }
  // Over the loopback port, where the password is asked for.
  std::string TcpConnection(const std::string& database, const std::string& user) const {
    return "host=127.0.0.1 port=" + std::to_string(port_) + " dbname=" + database + " user=" + user;
  }

  // Runs SQL through psql as the administrator; its output, unaligned and without headings.
  std::string Psql(const std::string& database, const std::string& sql) const {
    const std::string script = folder_.Write("psql.sql", sql);
    const std::string out = folder_ / "psql.out";
    std::system((bin_ + "/psql -X -q -A -t -v ON_ERROR_STOP=1 \"" + Connection(database) +
                 "\" -f '" + script + "' >'" + out + "' 2>&1")
                    .c_str());
    std::string text = folder_.Read("psql.out");
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  // A new, empty database.
  std::string CreateDatabase(const std::string& name) const {
    Psql("postgres", "CREATE DATABASE " + name);
    return name;
  }

  // Stops the server at once, as a power cut or a crash would, and starts it again.
  void Stop() const {
    AsServerUser(bin_ + "/pg_ctl -D '" + folder_ / "data" +
                 "' -m immediate -w stop >/dev/null 2>&1");
  }
  bool Start() const {
    return AsServerUser(bin_ + "/pg_ctl -D '" + folder_ / "data" + "' -w -t 60 -l '" +
                        folder_ / "socket/server.log" + "' -o \"-k '" + folder_ / "socket" +
                        "' -p " + std::to_string(port_) +
                        " -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=60\" "
                        "start >/dev/null 2>&1");
  }

private:
  // A test that crashed left its server running: stopped here, with its folder, so that servers
  // do not pile up on a developer's machine.
  static void StopServersOfCrashedTests(const std::string& bin) {
    namespace fs = std::filesystem;
    std::error_code failed;
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), failed)) {
      const fs::path owner = entry.path() / "owner";
      if (entry.path().filename().string().rfind("grelt-test-", 0) != 0 || !fs::exists(owner))
        continue;
      std::ifstream in(owner);
      pid_t pid = 0;
      if (!(in >> pid) || pid <= 0 || ::kill(pid, 0) == 0) continue;
      AsServerUser(bin + "/pg_ctl -D '" + (entry.path() / "data").string() +
                   "' -m immediate -w stop >/dev/null 2>&1");
      fs::remove_all(entry.path(), failed);
    }
  }
  static std::string FindBin() {
    namespace fs = std::filesystem;
    std::string found;
    std::error_code failed;
    for (const auto& version : fs::directory_iterator("/usr/lib/postgresql", failed))
      if (fs::exists(version.path() / "bin/initdb")) found = (version.path() / "bin").string();
    return found;
  }
  static bool AsServerUser(const std::string& command) {
    const std::string wrapped =
        ::geteuid() == 0 ? "cd / && runuser -u nobody -- sh -c \"" + Escaped(command) + "\""
                         : command;
    return std::system(wrapped.c_str()) == 0;
  }
  static std::string Escaped(const std::string& command) {
    std::string escaped;
    for (const char c : command) {
      if (c == '"' || c == '\\' || c == '$' || c == '`') escaped += '\\';
      escaped += c;
    }
    return escaped;
  }
  std::string Log(const char* name) const { return folder_.Read(name); }

  TempFolder folder_;
  std::string bin_;
  int port_ = 0;
  std::string whyNot_;
};

}  // namespace testing_support
