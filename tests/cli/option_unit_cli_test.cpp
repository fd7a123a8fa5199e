// The option unit through grelt02-cli: set up as a trainer sets it, and every one of its service
// functions run as a script runs them, waits and all.

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace {

using testing_support::Cli;
using testing_support::CliRun;

class OptionUnitCliTest : public ::testing::Test {
protected:
  OptionUnitCliTest() {
    testing_support::CopyShippedFiles(folder);
    EXPECT_EQ(Cli("vprinter attach --model LW --name lw", folder.Path()).exitCode, 0);
  }
  CliRun Run(const std::string& args) { return Cli("run 210410 " + args, folder.Path()); }
  CliRun Unit(const std::string& args = "") { return Cli("vprinter unit " + args, folder.Path()); }
  // The texts of the messages a run showed, each with its icon after a bar.
  static std::vector<std::string> Messages(const CliRun& run) {
    std::vector<std::string> shown;
    const auto json = run.Json();
    for (const auto& message : json["messages"])
      shown.push_back(message["text"].get<std::string>() + "|" +
                      message["icon"].get<std::string>());
    return shown;
  }

  testing_support::TempFolder folder;
};

TEST_F(OptionUnitCliTest, TheUnitIsSetUpAndShownAndNonsenseIsRefused) {
  auto unit = Unit().Json();
  EXPECT_EQ(unit["lamp"], "on");
  EXPECT_EQ(unit["temperature"], 23);
  EXPECT_TRUE(unit["tiles"].empty());
  unit = Unit("--temperature 28 --lamp off,on --tile 6 50.0,0.0,0.0 --tile 4 94,-0.5,1.25").Json();
  EXPECT_EQ(unit["temperature"], 28);
  EXPECT_EQ(unit["lamp"], "off,on");
  EXPECT_EQ(unit["tiles"]["6"], nlohmann::json::parse("[50.0, 0.0, 0.0]"));
  EXPECT_EQ(unit["tiles"]["4"], nlohmann::json::parse("[94.0, -0.5, 1.25]"));
  EXPECT_EQ(Unit().Json()["tiles"].size(), 2u);  // kept in the printer's state
  for (const char* bad : {"--lamp off,maybe", "--lamp off,", "--tile 13 1,2,3", "--tile 6 1,2",
                          "--temperature 120"}) {
    const CliRun refused = Unit(bad);
    EXPECT_EQ(refused.exitCode, 2) << bad;
    EXPECT_FALSE(refused.err.empty()) << bad;
  }
  EXPECT_EQ(Unit().Json()["lamp"], "off,on");  // nothing changed by the refused ones
  // The temperature dialog takes 15.0 to 30.0 only, and so does its answer on the command line.
  EXPECT_EQ(Run("--selector 0 --temperature 14.9").exitCode, 2);
  EXPECT_EQ(Run("--selector 0 --temperature 30.1").exitCode, 2);
}

TEST_F(OptionUnitCliTest, SensorCheckCorrectsAThermosensorThatReadsADegreeTooWarm) {
  ASSERT_EQ(Unit("--temperature 28 --lamp off,on").exitCode, 0);
  const CliRun run = Run("--selector 0 --temperature 25 --temperature 25 --temperature 25");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  const auto shown = Messages(run);
  ASSERT_EQ(shown.size(), 6u) << run.out;
  EXPECT_EQ(shown[0], "OK!! : Attachment sensor OFF.|information");
  EXPECT_EQ(shown[1], "Please set the sensor.|none");
  EXPECT_EQ(shown[2], "OK!! : Attachment sensor ON.|information");
  EXPECT_EQ(shown[3].substr(0, 40), "NG1: Please check the temperature again.");
  EXPECT_EQ(shown[4].substr(0, 28), "NG1: Adjust  the temperature");
  EXPECT_EQ(shown[5].substr(0, 16), "OK : Termosensor");
  EXPECT_EQ(run.Json()["temperatures"], nlohmann::json::parse("[25.0, 25.0, 25.0]"));
  EXPECT_EQ(Unit().Json()["correctionByte"], 0xF6);
  // Without an answer the dialog is cancelled, and the check ends there.
  ASSERT_EQ(Unit("--lamp off,on").exitCode, 0);
  const CliRun cancelled = Run("--selector 0");
  EXPECT_EQ(cancelled.exitCode, 1);
  EXPECT_EQ(cancelled.Json()["temperatures"], nlohmann::json::parse("[null]"));
}

TEST_F(OptionUnitCliTest, FanCalibrationPaperHolderAndStatus) {
  EXPECT_EQ(Messages(Run("--selector 1")), std::vector<std::string>{"FINISH|information"});
  EXPECT_EQ(Messages(Run("--selector 3")),
            std::vector<std::string>{"Caliration check OK|information"});
  const CliRun holder = Run("--selector 4 --answer ok --answer ok");
  EXPECT_EQ(holder.exitCode, 0);
  EXPECT_EQ(Messages(holder),
            (std::vector<std::string>{"Please check the Paper Holder condition.|warning",
                                      "FINISH|information"}));
  EXPECT_EQ(Run("--selector 6").exitCode, 0);
  ASSERT_EQ(Cli("vprinter fault unit-offline", folder.Path()).exitCode, 0);
  const CliRun offline = Run("--selector 6");
  EXPECT_EQ(offline.exitCode, 1);
  ASSERT_EQ(offline.Json()["messages"].size(), 1u);
  EXPECT_EQ(offline.Json()["messages"][0]["icon"], "error");
}

// The two that take their time on a unit (about a quarter and a whole minute): run side by side
// on two printers of their own.
TEST(OptionUnitCli, MechanismCyclingAndATilePositionCheckThatFails) {
#ifdef GRELT_SANITIZE_BUILD
  GTEST_SKIP() << "a minute of real time waiting on the unit: the release build runs it";
#endif
  testing_support::TempFolder mechanismFolder, tileFolder;
  for (const auto* folder : {&mechanismFolder, &tileFolder}) {
    testing_support::CopyShippedFiles(*folder);
    ASSERT_EQ(Cli("vprinter attach --model LW", folder->Path()).exitCode, 0);
  }
  ASSERT_EQ(Cli("vprinter unit --tile 6 50.0,0.0,0.0", tileFolder.Path()).exitCode, 0);
  auto mechanism = std::async(
      std::launch::async, [&] { return Cli("run 210410 --selector 2", mechanismFolder.Path()); });
  const CliRun tiles = Cli("run 210410 --selector 5", tileFolder.Path());
  const CliRun cycled = mechanism.get();
  EXPECT_EQ(cycled.exitCode, 0) << cycled.out;
  EXPECT_TRUE(cycled.Json()["messages"].empty());
  EXPECT_EQ(tiles.exitCode, 1) << tiles.out;
  const auto messages = tiles.Json()["messages"];
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0]["text"].get<std::string>().substr(0, 37),
            "ERROR : Tile position check. DE64=44.");
  EXPECT_EQ(messages[0]["icon"], "error");
}

}  // namespace
