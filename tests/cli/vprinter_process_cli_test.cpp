// Virtual printers served by processes of their own, through grelt02-cli as a script uses them.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/cli_runner.h"
#include "support/lprng_spooler.h"
#include "support/temp_folder.h"
#include "vprinter/attachment.h"

namespace {

using testing_support::Cli;
using testing_support::CliRun;

class PrinterProcessTest : public ::testing::Test {
protected:
  PrinterProcessTest() { testing_support::CopyShippedFiles(folder); }
  ~PrinterProcessTest() override {
    for (const char* name : {"one", "two", "lw", "mw", "ln", "nn"})
      Cli(std::string("vprinter detach --name ") + name, folder.Path());
  }
  CliRun Run(const std::string& args) { return Cli(args, folder.Path()); }

  testing_support::TempFolder folder;
};

TEST_F(PrinterProcessTest, AServedPrinterWorksStopsAndComesBackInItsSlot) {
  const CliRun attached = Run("vprinter attach --model LW --name one --process");
  ASSERT_EQ(attached.exitCode, 0) << attached.err;
  const int pid = attached.Json()["pid"];
  EXPECT_GT(pid, 0);
  EXPECT_EQ(attached.Json()["port"], 11);
  EXPECT_EQ(Run("vprinter list").Json()[0]["pid"], pid);
  EXPECT_EQ(Run("vprinter list").Json()[0]["running"], true);
  const CliRun serial = Run("run 310230");
  EXPECT_EQ(serial.exitCode, 0) << serial.err;
  EXPECT_EQ(serial.Json()["outputText"].get<std::string>().size(), 10u);

  // Killed: the program finds no printer and says so, at once.
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  const CliRun lost = Run("run 310230");
  EXPECT_EQ(lost.exitCode, 2);
  EXPECT_EQ(lost.Json()["printerMissing"], 1);
  // The list says so: not running, no process id.
  for (int look = 0; look < 100 && vprinter::ProcessRunning(pid); ++look)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(Run("vprinter list").Json()[0]["running"], false);
  EXPECT_TRUE(Run("vprinter list").Json()[0]["pid"].is_null());

  // Attached again, it is served anew in the slot it had.
  const CliRun again = Run("vprinter attach --model LW --name one --process");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.Json()["pid"], pid);
  EXPECT_EQ(again.Json()["port"], 11);
  EXPECT_EQ(Run("run 310230").exitCode, 0);
  ASSERT_EQ(Run("vprinter detach --name one").exitCode, 0);
  EXPECT_FALSE(vprinter::ProcessRunning(again.Json()["pid"].get<int>()));  // stopped with it
}

// Four printer processes take the four USB slots in the order they came; one unplugged and
// plugged in again gets its own slot back.
TEST_F(PrinterProcessTest, FourProcessesTakeTheFourSlotsAndKeepThem) {
  const char* models[] = {"LW", "MW", "LN", "NN"};
  for (int i = 0; i < 4; ++i) {
    const std::string model = models[i];
    const std::string name = {static_cast<char>(std::tolower(model[0])),
                              static_cast<char>(std::tolower(model[1]))};
    const CliRun attached = Run("vprinter attach --process --model " + model + " --name " + name);
    ASSERT_EQ(attached.exitCode, 0) << attached.err;
    EXPECT_EQ(attached.Json()["port"], 11 + i) << name;
  }
  // A fifth finds no slot: refused, and no server of it is left running.
  const CliRun fifth = Run("vprinter attach --process --model LW --name one");
  EXPECT_EQ(fifth.exitCode, 2);
  EXPECT_NE(fifth.err.find("all four USB printer slots"), std::string::npos) << fifth.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "VirtualPrinters/one/vprinterd.pid"));
  EXPECT_EQ(Run("vprinter list").Json().size(), 4u);
  ASSERT_EQ(Run("vprinter detach --name mw").exitCode, 0);
  const CliRun back = Run("vprinter attach --process --model MW --name mw");
  EXPECT_EQ(back.Json()["port"], 12);
  EXPECT_EQ(Run("run 310230 --port 12").exitCode, 0);
  EXPECT_EQ(Run("run 310230 --port 14").Json()["romVersion"].get<std::string>().substr(0, 2), "NN");
}

// A printer process that stops answering (stopped with SIGSTOP) is a printer that is gone once
// the call's limit and the slack are over; continued, it answers again.
TEST_F(PrinterProcessTest, AStoppedPrinterProcessIsLostNotWaitedFor) {
  const CliRun attached = Run("vprinter attach --model LW --name one --process");
  ASSERT_EQ(attached.exitCode, 0) << attached.err;
  const int pid = attached.Json()["pid"];
  ASSERT_EQ(::kill(pid, SIGSTOP), 0);
  const CliRun stopped = Cli("run 310230", folder.Path(), "GRELT_ANSWER_SLACK_MS=300");
  ::kill(pid, SIGCONT);
  EXPECT_EQ(stopped.exitCode, 2);
  EXPECT_EQ(stopped.Json()["printerMissing"], 1);
  EXPECT_EQ(Run("run 310230").exitCode, 0);
}

TEST_F(PrinterProcessTest, ServedOverLoopbackTcpOnRequest) {
  const CliRun attached = Run("vprinter attach --model MW --name two --process --tcp 0");
  ASSERT_EQ(attached.exitCode, 0) << attached.err;
  EXPECT_EQ(Run("run 310230").exitCode, 0);
}

// Its line printer daemon takes the network nozzle check as a printer does, and prints what
// LPRng's lpr sends it: it speaks the protocol as others do, not only as our sender does.
TEST_F(PrinterProcessTest, ItsLinePrinterDaemonPrintsTheNetworkNozzleCheckAndWhatLprSends) {
  const CliRun attached = Run("vprinter attach --model LW --name one --process --lpd-port 0");
  ASSERT_EQ(attached.exitCode, 0) << attached.err;
  const std::string port = std::to_string(attached.Json()["lpdPort"].get<int>());
  const CliRun sent = Cli("run 210370 --input 127.0.0.1", folder.Path(), "GRELT_LPD_PORT=" + port);
  EXPECT_EQ(sent.exitCode, 0) << sent.err;
  auto log = Run("vprinter log --name one --lines 3").Json();
  EXPECT_TRUE(log.back().get<std::string>().ends_with("page 1 printed: Pages/page-0001.png"))
      << log.dump();

  ASSERT_EQ(Run("pattern nozzle-check --model LW -o '" + (folder / "job.prn") + "'").exitCode, 0);
  std::string whyNot;
  const int lpr =
      testing_support::SendWithLpr("PASSTHRU@127.0.0.1%" + port, folder / "job.prn", &whyNot);
  if (lpr < 0) GTEST_SKIP() << whyNot;
  EXPECT_EQ(lpr, 0);
  // lpr hands the job over and leaves; the printer prints it as it comes.
  for (int look = 0; look < 100; ++look) {
    log = Run("vprinter log --name one --lines 1").Json();
    if (log.back().get<std::string>().find("page 2 printed") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_NE(log.back().get<std::string>().find("page 2 printed"), std::string::npos) << log.dump();
}

}  // namespace
