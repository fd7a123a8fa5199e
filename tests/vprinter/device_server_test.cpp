// A virtual printer served to another process: the library reaches it over the socket exactly as
// it reaches one in its own process, and a server that goes away fails the calls instead of
// holding them.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include <fstream>
#include <thread>

#include "driver/cwin_grelt_drv.h"
#include "driver/device_wire.h"
#include "driver/socket_device.h"
#include "support/temp_folder.h"
#include "vprinter/attachment.h"
#include "vprinter/device_server.h"
#include "vprinter/virtual_printer.h"

namespace {

using driver::CWinGreltDrv;

class DeviceServerTest : public ::testing::Test {
protected:
  DeviceServerTest() : registry(folder / "Registry", clock), directory(registry) {
    vprinter::RegisterVirtualPrinters(clock);
    std::string error;
    info = *vprinter::AttachVirtualPrinter(directory, folder.Path(), "MW", "served", 0, clock,
                                           &error, false, true);
    server = std::make_unique<vprinter::DeviceServer>(
        vprinter::VirtualPrinter::Open(info.folder, clock));
    const std::string location =
        server->ListenUnix(info.folder + "/" + vprinter::kServerSocketFile);
    std::ofstream(info.folder + "/" + vprinter::kServerEndpointFile) << location << '\n';
    serving = std::thread([this] { server->Serve(); });
    model = driver::FindModel("MW");
  }
  ~DeviceServerTest() override {
    StopServer();
    driver::DeviceDirectory::ForgetConnections();
  }
  void StopServer() {
    if (!serving.joinable()) return;
    server->Stop();
    serving.join();
    server.reset();
  }

  testing_support::TempFolder folder;
  platform::FakeClock clock{1'750'000'000};
  platform::Registry registry;
  driver::DeviceDirectory directory;
  vprinter::VirtualPrinterInfo info;
  std::unique_ptr<vprinter::DeviceServer> server;
  std::thread serving;
  const driver::ModelConstants* model = nullptr;
};

TEST_F(DeviceServerTest, TheLibraryReachesAServedPrinterAsAnyOther) {
  EXPECT_TRUE(vprinter::AttachedVirtualPrinters(directory).front().process);
  CWinGreltDrv drv(directory);
  ASSERT_EQ(drv.Open(info.attachment.link, nullptr), driver::kDrvOk);
  std::string version;
  EXPECT_EQ(drv.Ctl_ReplyRomVer(&version), driver::kDrvOk);
  EXPECT_EQ(version.substr(0, 2), "MW");
  const auto& k = *model->key;
  const std::uint8_t c0 = model->access[0], c1 = model->access[1];
  EXPECT_EQ(
      drv.Ctl_WriteEEP_LFP(c0, c1, 1234, 0x5C, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7]),
      driver::kDrvOk);
  std::uint8_t byte = 0;
  EXPECT_EQ(drv.Ctl_ReplyEEP_LFP(c0, c1, 1234, &byte), driver::kDrvOk);
  EXPECT_EQ(byte, 0x5C);
  // A wrong access code is refused over there, and the refusal comes back.
  EXPECT_EQ(drv.Ctl_ReplyEEP_LFP(c0 ^ 1, c1, 1234, &byte), driver::kDrvAccessDenied);
  // What it wrote is in the printer's own state, for every process that opens it.
  drv.Close();
  StopServer();
  EXPECT_EQ(vprinter::VirtualPrinter::Open(info.folder, clock)->ReadNvram(1234, 1),
            vprinter::Bytes{0x5C});
}

TEST_F(DeviceServerTest, APrinterWhoseServerWentAwayFailsTheNextCall) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(drv.Open(info.attachment.link, nullptr), driver::kDrvOk);
  StopServer();
  std::string version;
  EXPECT_EQ(drv.Ctl_ReplyRomVer(&version), driver::kDrvDisconnected);
}

// Whoever sends what is no request is no client: the server hangs up rather than leave it
// waiting for an answer.
TEST_F(DeviceServerTest, WhatIsNoRequestEndsTheConnection) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = info.folder + "/" + vprinter::kServerSocketFile;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_TRUE(driver::wire::WriteMessage(fd, {0xEE, 0x01}));
  const timeval limit{5, 0};  // a server that stays on the line fails here, not hangs
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  std::uint8_t byte = 0;
  EXPECT_EQ(::recv(fd, &byte, 1, 0), 0);
  ::close(fd);
}

// A printer process that takes a request and does not answer (stopped, say): the call fails as
// disconnected once its limit and the slack are over, and does not hold the run. One that answers
// inside the limit is heard.
TEST(SocketDevice, APrinterThatStopsAnsweringIsLostAfterTheSlack) {
  testing_support::TempFolder folder;
  const std::string path = folder / "slow.sock";
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 2), 0);
  // The first connection is never answered; the second is answered after a little while.
  std::thread printer([listener] {
    const int silent = ::accept(listener, nullptr, nullptr);
    driver::wire::Message request;
    driver::wire::ReadMessage(silent, request);
    const int slow = ::accept(listener, nullptr, nullptr);
    ::close(silent);
    driver::wire::ReadMessage(slow, request);
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    const auto call = driver::wire::DecodeRequest(request, &in, &out);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (call) driver::wire::WriteMessage(slow, driver::wire::EncodeAnswer(driver::kDrvOk, *call));
    ::close(slow);
  });
  driver::SocketDevice device("unix:" + path, 300);
  driver::DeviceCall call;
  call.op = driver::DeviceOp::GetStatus;
  EXPECT_EQ(device.Call(call), driver::kDrvDisconnected);
  EXPECT_EQ(device.Call(call), driver::kDrvOk);  // connected afresh, answered within 300 ms
  printer.join();
  ::close(listener);
}

TEST(DeviceWire, ARequestThatWouldOverrunThePrinterIsRefusedWhole) {
  std::uint8_t out[4];
  driver::DeviceCall read;
  read.op = driver::DeviceOp::CtlRead;
  read.address = 66;
  read.count = 4;
  read.out = out;
  std::vector<std::uint8_t> in, place;
  driver::wire::Message request = driver::wire::EncodeRequest(read);
  const auto decoded = driver::wire::DecodeRequest(request, &in, &place);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->count, 4);
  EXPECT_EQ(place.size(), 4u);
  // The same read naming more bytes than it leaves room for; then a request cut short.
  request[1 + 2 + 8 + 4] = 200;  // the count's low byte
  EXPECT_FALSE(driver::wire::DecodeRequest(request, &in, &place));
  request.pop_back();
  EXPECT_FALSE(driver::wire::DecodeRequest(request, &in, &place));
  // A flag byte that is neither 0 nor 1 is no request of ours.
  request = driver::wire::EncodeRequest(read);
  request[1 + 2 + 8 + 4 + 4 + 1 + 1 + 2 + 2 + 4] = 10;
  EXPECT_FALSE(driver::wire::DecodeRequest(request, &in, &place));
  // A list block announced longer than the bytes that came with it.
  driver::DeviceCall write;
  write.op = driver::DeviceOp::ListWrite;
  write.value2 = 448;
  const std::uint8_t few[8] = {};
  write.in = few;
  write.inLength = sizeof few;
  EXPECT_FALSE(driver::wire::DecodeRequest(driver::wire::EncodeRequest(write), &in, &place));
}

}  // namespace
