// The link end to end: port map, library and the virtual printer.

#include <gtest/gtest.h>

#include "driver/cwin_grelt_drv.h"
#include "printer/port_map.h"
#include "printer/printer_link.h"
#include "support/temp_folder.h"
#include "support/virtual_printer_bench.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/attachment.h"
#include "vprinter/firmware_file.h"
#include "vprinter/virtual_printer.h"

namespace {

class LinkWithPrinterTest : public ::testing::Test {
protected:
  LinkWithPrinterTest()
      : registry(folder / "Registry", clock),
        directory(registry),
        map(folder.Path(), registry, clock) {
    vprinter::RegisterVirtualPrinters(clock);
    std::string error;
    printer =
        *vprinter::AttachVirtualPrinter(directory, folder.Path(), "LW", "line1", 0, clock, &error);
  }
  ~LinkWithPrinterTest() override {
    testing_support::ExpectOnlyKnownCommands(directory.FindByLink(printer.attachment.link));
    driver::DeviceDirectory::ForgetConnections();
  }

  std::unique_ptr<printer::CPrinterLink> Link() {
    return std::make_unique<printer::CPrinterLink>(
        printer::LinkEnvironment{settings, ui, clock, &map},
        std::make_unique<driver::CWinGreltDrv>(directory));
  }
  std::unique_ptr<printer::CPrinterLink> OpenedLink() {
    auto link = Link();
    EXPECT_TRUE(link->Open(11));
    std::string version;
    EXPECT_TRUE(link->ReadRomVersion(version));
    EXPECT_TRUE(link->SetModel(version.substr(0, 2)));
    return link;
  }

  testing_support::TempFolder folder;
  platform::FakeClock clock;
  platform::Registry registry;
  driver::DeviceDirectory directory;
  printer::PortMap map;
  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  vprinter::VirtualPrinterInfo printer;
};

TEST_F(LinkWithPrinterTest, PortElevenOpensTheFirstPrinterOfTheMap) {
  auto link = OpenedLink();
  EXPECT_EQ(map.Slot(1), printer.attachment.link);
  EXPECT_EQ(link->ModelCode(), "LW");
  EXPECT_FALSE(Link()->Open(12));  // slot 2 is empty
}

TEST_F(LinkWithPrinterTest, PortsElevenToFourteenReachTheFourPrintersOfTheMap) {
  std::string error;
  const std::string models[3] = {"MW", "NN", "BS"};
  for (int i = 0; i < 3; ++i) {
    clock.Advance(std::chrono::seconds(1));  // the map keeps the oldest first
    ASSERT_TRUE(vprinter::AttachVirtualPrinter(directory, folder.Path(), models[i],
                                               "line" + std::to_string(i + 2), 0, clock, &error))
        << error;
  }
  const std::string expected[4] = {"LW", "MW", "NN", "BS"};
  for (int port = 11; port <= 14; ++port) {
    auto link = Link();
    ASSERT_TRUE(link->Open(port)) << port;
    std::string version;
    ASSERT_TRUE(link->ReadRomVersion(version));
    EXPECT_EQ(version.substr(0, 2), expected[port - 11]) << port;
    link->Close();
  }
  EXPECT_FALSE(Link()->Open(15));
}

TEST_F(LinkWithPrinterTest, AProductionWriteLandsAfterTheFlush) {
  auto link = OpenedLink();
  const std::string serial = "QX12345678";
  ASSERT_TRUE(
      link->WritePrdNvramMulti(66, 10, reinterpret_cast<const std::uint8_t*>(serial.data())));
  std::string read;
  ASSERT_TRUE(link->ReadPrdString(66, 10, read));
  EXPECT_NE(read, serial);
  ASSERT_TRUE(link->FlushJob());
  ASSERT_TRUE(link->ReadPrdString(66, 10, read));
  EXPECT_EQ(read, serial);
}

TEST_F(LinkWithPrinterTest, AFileSentInChunksThatDoNotDivideTheBufferArrivesByteForByte) {
  // A 2 MB print file of production writes, each address written many times over: a chunk
  // taken twice or lost would show in the bytes received, the log or the last values.
  auto link = OpenedLink();
  constexpr int kWrites = 100'000;
  for (int i = 0; i < kWrites; ++i) {
    ASSERT_TRUE(link->WritePrdNvram(0x4000 + i % 4096, static_cast<std::uint8_t>(i / 4096 + i)));
  }
  const std::string file = folder.Write(
      "writes.prn", std::string(reinterpret_cast<const char*>(link->JobData()), link->JobLength()));
  const std::uint64_t size = link->JobLength();
  link->ClearJob();
  auto device = std::static_pointer_cast<vprinter::VirtualPrinter>(
      directory.FindByLink(printer.attachment.link));
  for (const int chunk : {10'000, 4'093}) {
    const std::uint64_t before = device->BytesReceived();
    ASSERT_TRUE(link->SendFile(file, chunk)) << chunk;
    EXPECT_EQ(device->BytesReceived() - before, size) << chunk;
  }
  for (const std::string& line : device->Log())
    EXPECT_EQ(line.find("malformed"), std::string::npos);
  const vprinter::Bytes nvram = device->ReadNvram(0x4000, 4096);
  for (int i = kWrites - 4096; i < kWrites; ++i) {
    ASSERT_EQ(nvram[static_cast<std::size_t>(i % 4096)], static_cast<std::uint8_t>(i / 4096 + i));
  }
}

TEST_F(LinkWithPrinterTest, HeadIdsAndListsRoundTrip) {
  auto link = OpenedLink();
  std::string id;
  ASSERT_TRUE(link->ReadHeadId(id, 1));
  ASSERT_TRUE(link->WriteHeadId(1, id));
  ASSERT_TRUE(link->FlushJob());
  std::string back;
  ASSERT_TRUE(link->ReadHeadId(back, 1));
  EXPECT_EQ(back, id);
  EXPECT_TRUE(link->EraseList(1));
  std::uint8_t block[256];
  ASSERT_TRUE(link->ReadList448(0xA3, 0, 256, block));
  EXPECT_EQ(block[100], 0xFF);
}

TEST_F(LinkWithPrinterTest, ABigJobGoesOutInBusyPieces) {
  auto link = OpenedLink();
  const std::vector<std::uint8_t> resets(6u << 20, 0x40);
  std::vector<std::uint8_t> job;
  for (std::size_t i = 0; i < resets.size(); i += 2) {
    job.push_back(0x1B);
    job.push_back(0x40);
  }
  ASSERT_TRUE(link->AppendJob(job.data(), job.size()));
  ASSERT_TRUE(link->FlushJob());
  EXPECT_EQ(link->JobLength(), 0u);
  EXPECT_TRUE(link->WaitForStatus(10, 4, -1));
}

TEST_F(LinkWithPrinterTest, PaperOutDuringAFileSendEndsWhenTheUserGivesUp) {
  auto link = OpenedLink();
  const std::string file = folder.Write("job.prn", std::string(4096, '\x0D'));
  vprinter::Faults faults;
  faults.paperOut = true;
  vprinter::VirtualPrinter::Open(printer.folder, clock)->SetFaults(faults);
  ui.QueueAnswer(ui::kAnswerCancel);
  EXPECT_FALSE(link->SendFile(file, 1024));
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageDialog).back().style, 3u);
}

TEST_F(LinkWithPrinterTest, FirmwareGoesThroughThePortWriterInBootMode) {
  vprinter::Faults faults;
  faults.bootMode = true;
  vprinter::VirtualPrinter::Open(printer.folder, clock)->SetFaults(faults);
  auto link = Link();
  EXPECT_FALSE(link->Open(11));
  EXPECT_EQ(link->LastError(), -6);
  const auto bytes =
      vprinter::BuildFirmwareFile({"LW", "LW08A0", std::vector<std::uint8_t>(5000, 7)});
  const std::string file = folder.Write("update.UPG", std::string(bytes.begin(), bytes.end()));
  ASSERT_TRUE(link->WritePortFile(0, file, 1024));
  link->Close();
  auto fresh = OpenedLink();
  std::string version;
  fresh->ReadRomVersion(version);
  EXPECT_EQ(version, "LW08A0");
}

}  // namespace
