// The network sender against a line printer daemon it did not write: Debian's LPRng spooler.

#include <gtest/gtest.h>

#include <string>

#include "printer/network_sender.h"
#include "support/lprng_spooler.h"
#include "ui/scripted_ui_services.h"

namespace {

// The network nozzle check's thirty bytes, as the operation sends them.
const std::string& kJob = testing_support::kNetworkNozzleCheckJob;

TEST(LprngPeer, FramedForASpoolerTheJobIsSpooledAndPrintedByteForByte) {
  testing_support::LprngSpooler lpd;
  if (!lpd.WhyNot().empty()) GTEST_SKIP() << lpd.WhyNot();
  ui::ScriptedUiServices ui;
  ASSERT_TRUE(printer::SendNetworkJob(
      "127.0.0.1", reinterpret_cast<const std::uint8_t*>(kJob.data()), kJob.size(), ui, lpd.Port(),
      printer::kLpdTimeoutMs, printer::LpdFraming::Spooler));
  EXPECT_TRUE(ui.Calls().empty());
  EXPECT_EQ(lpd.PrintedJob(), kJob);
}

// As printers' own daemons take it (a huge announced length, no closing byte), a spooler refuses
// the job: the sender says so and reports it not sent.
TEST(LprngPeer, FramedForAPrintersDaemonTheSpoolersRefusalIsAFailure) {
  testing_support::LprngSpooler lpd;
  if (!lpd.WhyNot().empty()) GTEST_SKIP() << lpd.WhyNot();
  ui::ScriptedUiServices ui;
  EXPECT_FALSE(printer::SendNetworkJob("127.0.0.1",
                                       reinterpret_cast<const std::uint8_t*>(kJob.data()),
                                       kJob.size(), ui, lpd.Port()));
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].text.substr(0, 29), "The printer refused the job (");
  EXPECT_EQ(lpd.PrintedJob(std::chrono::milliseconds(200)), "");
}

}  // namespace
