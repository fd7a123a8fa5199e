// The virtual printer's line printer daemon: jobs as the program frames them for printers and
// for spoolers, queue-state requests, and what it does with jobs that are not whole.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <thread>

#include "printer/network_sender.h"
#include "support/loopback.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/lpd_server.h"

namespace {

class LpdServerTest : public ::testing::Test {
protected:
  LpdServerTest()
      : server([this](const std::vector<std::uint8_t>& data) {
          std::lock_guard lock(mutex);
          printed.emplace_back(data.begin(), data.end());
        }) {
    const std::string location = server.ListenTcp(0);
    port = std::stoi(location.substr(location.rfind(':') + 1));
    serving = std::thread([this] { server.Serve(); });
  }
  ~LpdServerTest() override {
    server.Stop();
    serving.join();
  }
  // Sends raw bytes, closes the sending side, and returns all the daemon said.
  std::string Converse(const std::string& bytes) {
    const int fd = testing_support::ConnectToLoopback(port);
    EXPECT_GE(fd, 0);
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
    std::string said;
    char c;
    while (::recv(fd, &c, 1, 0) == 1) said += c;
    ::close(fd);
    return said;
  }
  std::vector<std::string> Printed() {
    server.Stop();  // every conversation has ended once the server has
    serving.join();
    serving = std::thread([] {});
    std::lock_guard lock(mutex);
    return printed;
  }

  std::mutex mutex;
  std::vector<std::string> printed;
  vprinter::LpdServer server;
  std::thread serving;
  int port = 0;
};

TEST_F(LpdServerTest, PrintsJobsFramedForPrintersAndForSpoolersAlike) {
  const std::string job = "\x1B@nozzle check job\x0C";
  const auto bytes = reinterpret_cast<const std::uint8_t*>(job.data());
  ui::ScriptedUiServices ui;
  EXPECT_TRUE(printer::SendNetworkJob("127.0.0.1", bytes, job.size(), ui, port));
  EXPECT_TRUE(printer::SendNetworkJob("127.0.0.1", bytes, job.size(), ui, port,
                                      printer::kLpdTimeoutMs, printer::LpdFraming::Spooler));
  EXPECT_TRUE(ui.Calls().empty());
  EXPECT_EQ(Printed(), (std::vector<std::string>{job, job}));
}

TEST_F(LpdServerTest, AnswersTheQueueStateAndPrintsNothingThatIsNotWhole) {
  EXPECT_EQ(Converse("\x03PASSTHRU\n"), "PASSTHRU: no entries\n");
  EXPECT_EQ(Converse("\x04PASSTHRU user\n"), "PASSTHRU: no entries\n");
  // Cut off inside the data file; then a subcommand that is none.
  EXPECT_EQ(Converse("\x02PASSTHRU\n\x03"
                     "100 dfA001host\nshort"),
            std::string("\0\0", 2));
  EXPECT_EQ(Converse("\x02PASSTHRU\n\x07junk\n"), std::string("\0\1", 2));
  // Lengths a daemon must not believe: negative, not a number, a control file of a gigabyte.
  for (const char* announcement : {"\x02-72 cfA002h\n",
                                   "\x03"
                                   "0x10 dfA002h\n",
                                   "\x02"
                                   "1000000000 cfA002h\n"})
    EXPECT_EQ(Converse(std::string("\x02PASSTHRU\n") + announcement), std::string("\0\1", 2))
        << announcement;
  // An aborted job leaves nothing either.
  EXPECT_EQ(Converse(std::string("\x02Q\n\x03"
                                 "2 d\nab",
                                 10) +
                     std::string(1, '\0') + "\x01\n"),
            std::string(4, '\0'));
  EXPECT_TRUE(Printed().empty());
}

}  // namespace
