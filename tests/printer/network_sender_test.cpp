#include "printer/network_sender.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "ui/scripted_ui_services.h"

namespace {

// A line printer daemon of our own on a loopback port: takes one connection and keeps what came,
// or reads only a little and hangs up.
class LpdReceiver {
public:
  explicit LpdReceiver(std::size_t readAtMost = SIZE_MAX) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 1);
    socklen_t size = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, readAtMost] {
      const int connection = ::accept(listener_, nullptr, nullptr);
      char buffer[65536];
      while (received_.size() < readAtMost) {
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        received_.append(buffer, static_cast<std::size_t>(n));
      }
      ::close(connection);
    });
  }
  ~LpdReceiver() {
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  int Port() const { return port_; }
  std::string Received() {
    thread_.join();
    return received_;
  }

private:
  int listener_;
  int port_ = 0;
  std::thread thread_;
  std::string received_;
};

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

TEST(NetworkSender, LargeJobsGoThroughTheBufferWhole) {
  LpdReceiver receiver;
  ui::ScriptedUiServices ui;
  std::vector<std::uint8_t> data(100'000);
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

TEST(NetworkSender, AHostThatHangsUpMidJobIsNotReportedAsSent) {
  LpdReceiver receiver(64);
  ui::ScriptedUiServices ui;
  const std::vector<std::uint8_t> data(32u << 20, 0x55);
  EXPECT_FALSE(printer::SendNetworkJob("127.0.0.1", data.data(), data.size(), ui, receiver.Port()));
  ASSERT_FALSE(ui.Calls(ui::UiCallKind::MessageBox).empty());
}

}  // namespace
