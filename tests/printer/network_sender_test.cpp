#include "printer/network_sender.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <thread>

#include "support/lpd_receiver.h"
#include "ui/scripted_ui_services.h"

namespace {

using testing_support::LpdReceiver;

TEST(NetworkSender, SpeaksTheLinePrinterDaemonProtocolByteForByte) {
  LpdReceiver receiver;
  ui::ScriptedUiServices ui;
  const std::string data = "\x1B@nozzle check job\x0C";
  ASSERT_TRUE(printer::SendNetworkJob("127.0.0.1",
                                      reinterpret_cast<const std::uint8_t*>(data.data()),
                                      data.size(), ui, receiver.Port()));
  const std::string control =
      "HGRELT02\nPSERVICE01\nJNOZZLECHK\nldfA002GRELT02\nUdfA002GRELT02\nNSERVICE01\n";
  ASSERT_EQ(control.size(), 72u);
  const std::string expected = std::string("\x02PASSTHRU\n") +
                               "\x02"
                               "72 cfA002GRELT02\n" +
                               control + std::string(1, '\0') +
                               "\x03"
                               "125899906843000 dfA002GRELT02\n" +
                               data;
  EXPECT_EQ(receiver.Received(), expected);
  EXPECT_TRUE(ui.Calls().empty());
}

// Through a spooler: the exact length announced, then the data, a zero byte and its
// acknowledgement; a spooler that refuses the finished file refuses the job.
TEST(NetworkSender, ASpoolerGetsTheExactLengthAndTheClosingZeroByte) {
  const std::string data = "\x1B@nozzle check job\x0C";
  const auto bytes = reinterpret_cast<const std::uint8_t*>(data.data());
  for (const char verdict : {'\0', '\1'}) {
    LpdReceiver receiver(LpdReceiver::Behaviour{.dataAck = verdict});
    ui::ScriptedUiServices ui;
    EXPECT_EQ(printer::SendNetworkJob("127.0.0.1", bytes, data.size(), ui, receiver.Port(), 2000,
                                      printer::LpdFraming::Spooler),
              verdict == 0);
    const std::string preamble = printer::LpdPreamble(printer::LpdFraming::Spooler, data.size());
    EXPECT_TRUE(
        preamble.ends_with("\x03"
                           "19 dfA002GRELT02\n"))
        << preamble;
    EXPECT_EQ(receiver.Received(), preamble + data + std::string(1, '\0'));
    EXPECT_EQ(ui.Calls().size(), verdict == 0 ? 0u : 1u);
  }
}

TEST(NetworkSender, LargeJobsArriveWholeBeforeTheConnectionCloses) {
  LpdReceiver receiver;
  ui::ScriptedUiServices ui;
  std::vector<std::uint8_t> data(20'000'000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 13);
  ASSERT_TRUE(printer::SendNetworkJob("localhost", data.data(), data.size(), ui, receiver.Port()));
  const std::string received = receiver.Received();
  ASSERT_EQ(received.size(), printer::LpdPreamble().size() + data.size());
  EXPECT_EQ(received.substr(printer::LpdPreamble().size()), std::string(data.begin(), data.end()));
}

TEST(NetworkSender, ARefusedConnectionIsReported) {
  // A port nobody listens on: bind one, note it, close it.
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(probe);
  ui::ScriptedUiServices ui;
  const std::uint8_t data[1] = {0};
  EXPECT_FALSE(printer::SendNetworkJob("127.0.0.1", data, 1, ui, ntohs(address.sin_port)));
  const auto shown = ui.Calls(ui::UiCallKind::MessageBox);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].text, "Cannot connect to printer.\nCheck printer power or network cable");
}

TEST(NetworkSender, ARefusedSubcommandStopsTheJobAndSaysSo) {
  for (std::size_t refused = 0; refused < 4; ++refused) {
    LpdReceiver::Behaviour behaviour;
    behaviour.acks[refused] = static_cast<char>(refused + 1);
    LpdReceiver receiver(behaviour);
    ui::ScriptedUiServices ui;
    const std::string data = "job";
    EXPECT_FALSE(printer::SendNetworkJob("127.0.0.1",
                                         reinterpret_cast<const std::uint8_t*>(data.data()),
                                         data.size(), ui, receiver.Port()))
        << refused;
    const auto shown = ui.Calls(ui::UiCallKind::MessageBox);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The printer refused the job (answer " + std::to_string(refused + 1) +
                                 ").\nCheck the printer's queue and send the job again.");
    // Nothing after the refused subcommand went out.
    std::string sent;
    for (std::size_t i = 0; i <= refused; ++i) sent += printer::LpdSubcommands()[i];
    EXPECT_EQ(receiver.Received(), sent);
  }
}

TEST(NetworkSender, ADaemonThatNeverAnswersIsGivenUpOn) {
  LpdReceiver::Behaviour behaviour;
  behaviour.silent = true;  // and the connection stays open until the sender gives up
  LpdReceiver receiver(behaviour);
  ui::ScriptedUiServices ui;
  const std::uint8_t data[1] = {0};
  EXPECT_FALSE(printer::SendNetworkJob("127.0.0.1", data, 1, ui, receiver.Port(), 100));
  EXPECT_EQ(receiver.Received(), printer::LpdSubcommands()[0]);
  ASSERT_EQ(ui.Calls(ui::UiCallKind::MessageBox).size(), 1u);
}

TEST(NetworkSender, ADaemonThatStopsReadingIsGivenUpOnWithinTheTimeLimit) {
  LpdReceiver::Behaviour behaviour;
  behaviour.neverReadsTheData = true;
  LpdReceiver receiver(behaviour);
  ui::ScriptedUiServices ui;
  const std::vector<std::uint8_t> data(20u << 20, 0x55);
  EXPECT_FALSE(
      printer::SendNetworkJob("127.0.0.1", data.data(), data.size(), ui, receiver.Port(), 200));
  receiver.Release();
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageBox).size(), 1u);
}

TEST(NetworkSender, AHostThatHangsUpMidJobIsNotReportedAsSent) {
  LpdReceiver::Behaviour behaviour;
  behaviour.readAtMost = 64;
  LpdReceiver receiver(behaviour);
  ui::ScriptedUiServices ui;
  const std::vector<std::uint8_t> data(32u << 20, 0x55);
  EXPECT_FALSE(printer::SendNetworkJob("127.0.0.1", data.data(), data.size(), ui, receiver.Port()));
  ASSERT_FALSE(ui.Calls(ui::UiCallKind::MessageBox).empty());
}

}  // namespace
