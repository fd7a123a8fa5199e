// Virtual printers served by processes of their own, through grelt02-cli as a script uses them.

#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "support/cli_runner.h"
#include "support/temp_folder.h"
#include "vprinter/attachment.h"

namespace {

using testing_support::Cli;
using testing_support::CliRun;

class PrinterProcessTest : public ::testing::Test {
protected:
  PrinterProcessTest() { testing_support::CopyShippedFiles(folder); }
  ~PrinterProcessTest() override {
    for (const char* name : {"one", "two"})
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
  const CliRun serial = Run("run 310230");
  EXPECT_EQ(serial.exitCode, 0) << serial.err;
  EXPECT_EQ(serial.Json()["outputText"].get<std::string>().size(), 10u);

  // Killed: the program finds no printer and says so, at once.
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  const CliRun lost = Run("run 310230");
  EXPECT_EQ(lost.exitCode, 2);
  EXPECT_EQ(lost.Json()["printerMissing"], 1);
  EXPECT_EQ(Run("vprinter list").Json()[0]["pid"], 0);

  // Attached again, it is served anew in the slot it had.
  const CliRun again = Run("vprinter attach --model LW --name one --process");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.Json()["pid"], pid);
  EXPECT_EQ(again.Json()["port"], 11);
  EXPECT_EQ(Run("run 310230").exitCode, 0);
  ASSERT_EQ(Run("vprinter detach --name one").exitCode, 0);
  EXPECT_FALSE(vprinter::ProcessRunning(again.Json()["pid"].get<int>()));  // stopped with it
}

TEST_F(PrinterProcessTest, ServedOverLoopbackTcpOnRequest) {
  const CliRun attached = Run("vprinter attach --model MW --name two --process --tcp 0");
  ASSERT_EQ(attached.exitCode, 0) << attached.err;
  EXPECT_EQ(Run("run 310230").exitCode, 0);
}

}  // namespace
