// The library's contract driven against the virtual printer, end to end through the registry.

#include "vprinter/virtual_printer.h"

#include <gtest/gtest.h>

#include <thread>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "driver/cturbine.h"
#include "driver/cwin_grelt_drv.h"
#include "driver/cwin_hdidapi.h"
#include "support/full_disk.h"
#include "support/loopback.h"
#include "support/temp_folder.h"
#include "vprinter/attachment.h"
#include "vprinter/firmware_file.h"

namespace {

using driver::CWinGreltDrv;
using vprinter::Bytes;

class VirtualPrinterTest : public ::testing::Test {
protected:
  VirtualPrinterTest() : registry(folder / "Registry", clock), directory(registry) {
    vprinter::RegisterVirtualPrinters(clock);
    std::string error;
    info =
        *vprinter::AttachVirtualPrinter(directory, folder.Path(), "MW", "bench1", 3, clock, &error);
    model = driver::FindModel("MW");
  }
  ~VirtualPrinterTest() override { driver::DeviceDirectory::ForgetConnections(); }

  std::shared_ptr<vprinter::VirtualPrinter> Printer() {
    return std::static_pointer_cast<vprinter::VirtualPrinter>(
        directory.FindByLink(info.attachment.link));
  }
  int Open(CWinGreltDrv& drv) { return drv.Open(info.attachment.link, nullptr); }
  Bytes PrdWrite(int address, std::uint8_t value, const driver::WriteKey& key) {
    Bytes job = {0x1B,
                 0x7C,
                 0x01,
                 0x10,
                 0x00,
                 model->access[0],
                 model->access[1],
                 0x02,
                 0xFD,
                 0x01,
                 static_cast<std::uint8_t>(address),
                 static_cast<std::uint8_t>(address >> 8),
                 value};
    job.insert(job.end(), key.begin(), key.end());
    return job;
  }
  std::uint8_t c0() const { return model->access[0]; }
  std::uint8_t c1() const { return model->access[1]; }

  testing_support::TempFolder folder;
  platform::FakeClock clock{1'750'000'000};
  platform::Registry registry;
  driver::DeviceDirectory directory;
  vprinter::VirtualPrinterInfo info;
  const driver::ModelConstants* model;
};

TEST_F(VirtualPrinterTest, AttachingWritesTheEntryUsbDiscoveryReads) {
  const std::string key = std::string(driver::kUsbPrintClassKey) + "\\" +
                          driver::DeviceDirectory::KeyNameOf(info.attachment.link);
  EXPECT_EQ(std::get<std::uint32_t>(*registry.GetValue(key + "\\Control", "ReferenceCount")), 1u);
  EXPECT_EQ(std::get<std::string>(*registry.GetValue(key + "\\#", "SymbolicLink")),
            info.attachment.link);
  const std::string instance = driver::DeviceDirectory::InstanceOf(info.attachment.link);
  EXPECT_GE(instance.size(), 10u);
  EXPECT_LE(instance.size(), 20u);
  EXPECT_EQ(registry.LastWriteTime(key + "\\#"), 1'750'000'000'000);
  ASSERT_EQ(vprinter::AttachedVirtualPrinters(directory).size(), 1u);
  EXPECT_TRUE(vprinter::DetachVirtualPrinter(directory, "bench1"));
  EXPECT_TRUE(vprinter::AttachedVirtualPrinters(directory).empty());
  CWinGreltDrv drv(directory);
  EXPECT_EQ(Open(drv), driver::kDrvNoDevice);
}

TEST_F(VirtualPrinterTest, OpensByLinkOrByPortNumber) {
  CWinGreltDrv drv(directory);
  std::string text;
  EXPECT_EQ(drv.Open(3, &text, 1), driver::kDrvOk);
  EXPECT_NE(drv.PortHandle(), 0);
  EXPECT_EQ(drv.Ctl_ReplyRomVer(&text), 0);
  EXPECT_EQ(text.substr(0, 2), "MW");
  EXPECT_EQ(drv.Close(), 0);
  EXPECT_EQ(drv.PortHandle(), 0);
  EXPECT_EQ(drv.Ctl_ReplyRomVer(&text), driver::kDrvNotOpen);
  EXPECT_EQ(drv.Open(4, &text, 1), driver::kDrvNoDevice);
  EXPECT_EQ(Open(drv), driver::kDrvOk);
}

TEST_F(VirtualPrinterTest, RefusesForeignAccessCodesAndWriteKeys) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  std::uint8_t byte = 0;
  const driver::ModelConstants* other = driver::FindModel("BS");
  EXPECT_EQ(drv.Ctl_ReplyEEP_LFP(other->access[0], other->access[1], 66, &byte),
            driver::kDrvAccessDenied);
  EXPECT_EQ(drv.Ctl_ReplyEEP_LFP(c0(), c1(), 66, &byte), 0);
  const auto& k = *other->key;
  EXPECT_EQ(
      drv.Ctl_WriteEEP_LFP(c0(), c1(), 500, 7, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7]),
      driver::kDrvKeyRejected);
  const auto& own = *model->key;
  EXPECT_EQ(drv.Ctl_WriteEEP_LFP(c0(), c1(), 500, 7, own[0], own[1], own[2], own[3], own[4], own[5],
                                 own[6], own[7]),
            0);
  EXPECT_EQ(drv.Ctl_ReplyEEP_LFP(c0(), c1(), 500, &byte), 0);
  EXPECT_EQ(byte, 7);
}

TEST_F(VirtualPrinterTest, RefusesArgumentsOutsideTheNvram) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  std::uint8_t data[64];
  EXPECT_EQ(drv.Ctl_ReplyEEPMulti_LFP(c0(), c1(), 0xFFF0, 0x20, data), driver::kDrvInvalidArgument);
  EXPECT_EQ(drv.Ctl_ReplyEEPMulti_LFP(c0(), c1(), 0xFFE0, 0x20, data), 0);
  EXPECT_EQ(drv.Ctl_ReplyEEPMulti_LFP(c0(), c1(), -1, 1, data), driver::kDrvInvalidArgument);
  EXPECT_EQ(drv.Ctl_ReplyEEPMulti_LFP(c0(), c1(), 0, 0, data), driver::kDrvInvalidArgument);
  EXPECT_EQ(drv.Ctl_ReplyEEP_LFP(c0(), c1(), 0, nullptr), driver::kDrvInvalidArgument);
  EXPECT_EQ(drv.Ctl_GetStatus(nullptr), driver::kDrvInvalidArgument);
  EXPECT_EQ(drv.Send(nullptr, 4), driver::kDrvInvalidArgument);
  unsigned long taken = 0;
  EXPECT_EQ(drv.SendEx(data, 10, 11, &taken), driver::kDrvInvalidArgument);
  EXPECT_EQ(drv.Ctl_Reply_List448(c0(), c1(), 0xD6, 4000, 256, data), driver::kDrvInvalidArgument);
}

TEST_F(VirtualPrinterTest, ProductionWritesLandWhenTheJobIsSent) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  std::uint8_t before = 0;
  drv.Prod_ReplyEEP_LFP(c0(), c1(), 7000, &before);
  const Bytes job = PrdWrite(7000, static_cast<std::uint8_t>(before + 1), *model->key);
  std::uint8_t now = 0;
  drv.Prod_ReplyEEP_LFP(c0(), c1(), 7000, &now);
  EXPECT_EQ(now, before);  // built, not sent
  unsigned long taken = 0;
  EXPECT_EQ(drv.SendEx(job.data(), job.size(), 0, &taken), 0);
  EXPECT_EQ(taken, job.size());
  drv.Prod_ReplyEEP_LFP(c0(), c1(), 7000, &now);
  EXPECT_EQ(now, static_cast<std::uint8_t>(before + 1));
  // The same command with a foreign key changes nothing and is logged.
  const Bytes refused = PrdWrite(7000, 0x55, *driver::FindModel("BS")->key);
  drv.SendEx(refused.data(), refused.size(), 0, &taken);
  drv.Prod_ReplyEEP_LFP(c0(), c1(), 7000, &now);
  EXPECT_EQ(now, static_cast<std::uint8_t>(before + 1));
  EXPECT_EQ(Printer()->Log().back(), "refused 7C 02: write key");
}

TEST_F(VirtualPrinterTest, CommandsItDoesNotKnowAreLoggedAndCountedAndChangeNothing) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  const Bytes before = Printer()->ReadNvram(0, 0x10000);
  // Factory command 7D EE (no printer has it), then remote-mode "ZZ" beside a known "JS".
  Bytes job = {0x1B, 0x7D, 0x01, 0x06, 0x00, c0(), c1(), 0xEE, 0x11, 0x77, 0x05};
  const Bytes remote = {0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R',  'E',  'M', 'O',
                        'T',  'E',  '1',  'Z',  'Z',  0x00, 0x00, 'J',  'S', 0x04,
                        0x00, 0,    0,    0,    0,    0x1B, 0x00, 0x00, 0x00};
  job.insert(job.end(), remote.begin(), remote.end());
  unsigned long taken = 0;
  ASSERT_EQ(drv.SendEx(job.data(), job.size(), 0, &taken), 0);
  EXPECT_EQ(Printer()->UnknownCommands(), (std::vector<std::string>{"7D EE", "remote ZZ"}));
  const std::vector<std::string> log = Printer()->Log();
  EXPECT_NE(std::find(log.begin(), log.end(), "unknown command 7D EE"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "remote JS"), log.end());
  EXPECT_EQ(Printer()->ReadNvram(0, 0x10000), before);
  // A command of the table that is too short is malformed, not unknown.
  // A measured move needs six parameter bytes; five are one too few.
  const Bytes shortMove = {0x1B, 0x7D, 0x01, 0x0A, 0x00, c0(), c1(), 0x13,
                           0xEC, 0x89, 0x01, 0x01, 0x10, 0x27, 0x00};
  ASSERT_EQ(drv.SendEx(shortMove.data(), shortMove.size(), 0, &taken), 0);
  EXPECT_EQ(Printer()->Log().back(), "malformed factory command 7D 13: 5 parameter bytes");
  EXPECT_EQ(Printer()->UnknownCommands().size(), 2u);
}

TEST_F(VirtualPrinterTest, TakesABigJobInBusyPieces) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  Bytes job;
  for (int i = 0; i < 3 * 1024 * 1024 / 8; ++i) {
    const Bytes reset = {0x1B, 0x40, 0x1B, 0x40, 0x1B, 0x40, 0x1B, 0x40};
    job.insert(job.end(), reset.begin(), reset.end());
  }
  unsigned long offset = 0;
  int pieces = 0;
  for (;;) {
    unsigned long taken = 0;
    const int result = drv.SendEx(job.data(), job.size(), offset, &taken);
    offset += taken;
    ++pieces;
    if (result == 0) break;
    ASSERT_EQ(result, driver::kDrvBusy);
    ASSERT_GT(taken, 0u);
    driver::STATUSINF status;
    ASSERT_EQ(drv.Ctl_GetStatus(&status), 0);
    EXPECT_EQ(status.type, driver::kStatusReceiving);  // not busy: the sender just sends again
  }
  EXPECT_EQ(offset, job.size());
  EXPECT_EQ(pieces, 3);
  const Bytes small = {0x1B, 0x40};
  EXPECT_EQ(drv.Send(small.data(), 2), driver::kDrvBusy);  // the buffer is still full
}

TEST_F(VirtualPrinterTest, WorkKeepsThePrinterBusyOnItsClock) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  const Bytes page = {0x1B, 0x40, 0x0D, 0x0A, 0x0C, 0x1B, 0x40, 0x1B, 0x40};
  ASSERT_EQ(drv.Send(page.data(), static_cast<int>(page.size())), static_cast<int>(page.size()));
  driver::STATUSINF status;
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.type, driver::kStatusWorking);  // printing what it took
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.type, driver::kStatusWorking);
  clock.Advance(std::chrono::seconds(6));
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.type, driver::kStatusReady);
  EXPECT_EQ(Printer()->PagesPrinted(), 1);
}

TEST_F(VirtualPrinterTest, WorkOfItsOwnMakesItBusyForItsStatusReads) {
  vprinter::Faults faults;
  faults.ownWorkPolls = 2;
  Printer()->SetFaults(faults);
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  const Bytes reset = {0x1B, 0x40};
  driver::STATUSINF status;
  for (int poll = 0; poll < 2; ++poll) {
    EXPECT_EQ(drv.Send(reset.data(), 2), driver::kDrvBusy) << poll;
    ASSERT_EQ(drv.Ctl_GetStatus(&status), 0);
    EXPECT_EQ(status.type, driver::kStatusBusy) << poll;
  }
  EXPECT_EQ(drv.Send(reset.data(), 2), 2);
  EXPECT_EQ(Printer()->Snapshot().faults.ownWorkPolls, -1);  // its own work is done
}

TEST_F(VirtualPrinterTest, PrintedPagesBecomePictures) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  const Bytes page = {0x1B, 0x40, 0x1B, 0x69, 0x02, 0x01, 0x02, 0x02, 0x00, 0x01,
                      0x00, 0xFF, 0xFF, 0x0D, 0x0A, 0x0C, 0x1B, 0x40, 0x1B, 0x40};
  ASSERT_EQ(drv.Send(page.data(), static_cast<int>(page.size())), static_cast<int>(page.size()));
  EXPECT_TRUE(std::filesystem::exists(info.folder + "/Pages/page-0001.png"));
  EXPECT_EQ(Printer()->Log().back(), "page 1 printed: Pages/page-0001.png");
}

TEST_F(VirtualPrinterTest, ListsEraseAndMove) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  std::uint8_t block[256];
  std::uint8_t back[256];
  for (int i = 0; i < 256; ++i) block[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(drv.Ctl_Write_List448(c0(), c1(), 0xA3, 0xFF00, 256, block), 0);
  EXPECT_EQ(drv.Ctl_Reply_List448(c0(), c1(), 0xA3, 0xFF00, 256, back), 0);
  EXPECT_TRUE(std::equal(block, block + 256, back));
  EXPECT_EQ(drv.Ctl_List_Erase(c0(), c1(), 0xA3), 0);
  std::uint8_t state = 9;
  std::vector<int> states;
  for (int i = 0; i < 4; ++i) {
    drv.Ctl_Erase_Reply(c0(), c1(), 0xA3, &state);
    states.push_back(state);
  }
  EXPECT_EQ(states, (std::vector<int>{1, 1, 0, 0}));
  drv.Ctl_Reply_List448(c0(), c1(), 0xA3, 0xFF00, 256, back);
  EXPECT_EQ(back[17], 0xFF);
  EXPECT_EQ(drv.Ctl_List_Erase(c0(), c1(), 0x12), driver::kDrvInvalidArgument);

  vprinter::Faults faults;
  faults.eraseFails = true;
  Printer()->SetFaults(faults);
  drv.Ctl_List_Erase(c0(), c1(), 0xD6);
  drv.Ctl_Erase_Reply(c0(), c1(), 0xD6, &state);
  EXPECT_EQ(state, 2);
  faults = {};
  faults.eraseHangs = true;
  Printer()->SetFaults(faults);
  for (int i = 0; i < 20; ++i) drv.Ctl_Erase_Reply(c0(), c1(), 0xD6, &state);
  EXPECT_EQ(state, 1);
}

TEST_F(VirtualPrinterTest, PaperFaultsShowInTheStatusUntilResolved) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  vprinter::Faults faults;
  faults.paperJam = true;
  Printer()->SetFaults(faults);
  driver::STATUSINF status;
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.type, driver::kStatusError);
  EXPECT_EQ(status.errorCode, driver::kErrorPaperJam);
  const Bytes reset = {0x1B, 0x40};
  EXPECT_EQ(drv.Send(reset.data(), 2), driver::kDrvBusy);
  EXPECT_EQ(drv.Ctl_ResumePaperJam(), 0);
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.type, driver::kStatusReady);

  faults = {};
  faults.paperOut = true;
  Printer()->SetFaults(faults);
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.errorCode, driver::kErrorPaperOut);
  EXPECT_LT(drv.Ctl_ResumePaperOut(), 0);  // no paper loaded yet
  Printer()->SetFaults({});
  EXPECT_EQ(drv.Ctl_ResumePaperOut(), 0);

  faults = {};
  faults.stuckStatus = driver::kStatusWorking;
  Printer()->SetFaults(faults);
  clock.Advance(std::chrono::hours(1));
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.type, driver::kStatusWorking);
}

TEST_F(VirtualPrinterTest, DisconnectAndReadFaultsFailTheirCalls) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  vprinter::Faults faults;
  faults.readFailFrom = 0x2000;
  faults.readFailTo = 0x20FF;
  Printer()->SetFaults(faults);
  std::uint8_t data[256];
  EXPECT_EQ(drv.Ctl_ReplyEEPMulti_LFP(c0(), c1(), 0x1F80, 256, data), driver::kDrvReadFailed);
  EXPECT_EQ(drv.Ctl_ReplyEEPMulti_LFP(c0(), c1(), 0x1E00, 256, data), 0);
  faults = {};
  faults.disconnected = true;
  Printer()->SetFaults(faults);
  driver::STATUSINF status;
  EXPECT_EQ(drv.Ctl_GetStatus(&status), driver::kDrvDisconnected);
  std::string text;
  EXPECT_EQ(drv.Ctl_ReplyRomVer(&text), driver::kDrvDisconnected);
}

TEST_F(VirtualPrinterTest, WriteFaultsFailWritesAndReadFaultsFailListReadsInTheirRange) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  vprinter::Faults faults;
  faults.writeFailFrom = 0x2000;
  faults.writeFailTo = 0x20FF;
  faults.readFailFrom = 0x100;
  faults.readFailTo = 0x1FF;
  Printer()->SetFaults(faults);
  const Bytes before = Printer()->ReadNvram(0x1F80, 0x200);
  const std::uint8_t data[256] = {};
  EXPECT_EQ(drv.Ctl_WriteEEPMulti_LFP448(c0(), c1(), 0x1F80, 256, data, model->key->data()),
            driver::kDrvWriteFailed);
  EXPECT_EQ(drv.Ctl_WriteEEPMulti_LFP448(c0(), c1(), 0x2100, 256, data, model->key->data()), 0);
  EXPECT_EQ(Printer()->ReadNvram(0x1F80, 0x180), Bytes(before.begin(), before.begin() + 0x180));
  // The range's own ends fail; the bytes just outside them do not.
  const std::uint8_t two[2] = {1, 2};
  EXPECT_EQ(drv.Ctl_WriteEEPMulti_LFP(c0(), c1(), 0x1FFF, 2, two, model->key->data()),
            driver::kDrvWriteFailed);
  EXPECT_EQ(drv.Ctl_WriteEEPMulti_LFP(c0(), c1(), 0x20FF, 2, two, model->key->data()),
            driver::kDrvWriteFailed);
  EXPECT_EQ(drv.Ctl_WriteEEPMulti_LFP(c0(), c1(), 0x1FFE, 2, two, model->key->data()), 0);
  EXPECT_EQ(drv.Ctl_WriteEEPMulti_LFP(c0(), c1(), 0x2100, 2, two, model->key->data()), 0);
  // A production write in the range is refused by the printer and logged.
  const Bytes job = PrdWrite(0x2001, 0x77, *model->key);
  unsigned long taken = 0;
  ASSERT_EQ(drv.SendEx(job.data(), job.size(), 0, &taken), 0);
  EXPECT_EQ(Printer()->Log().back(), "refused 7C 02: write failed");
  EXPECT_EQ(Printer()->ReadNvram(0x2001, 1), Bytes{before[0x81]});
  // List reads touching the read-fail range fail; others go on.
  std::uint8_t list[64];
  EXPECT_EQ(drv.Ctl_Reply_List448(c0(), c1(), 0xA3, 0x1F0, 64, list), driver::kDrvReadFailed);
  EXPECT_EQ(drv.Ctl_Reply_List448(c0(), c1(), 0xA3, 0x200, 64, list), 0);
}

TEST_F(VirtualPrinterTest, ANewBoardHasNoSerialNumberAndNoSetUp) {
  const vprinter::PrinterState old = vprinter::FactoryImage("LW", "board");
  const vprinter::PrinterState fresh = vprinter::NewBoardImage("LW", "board");
  EXPECT_EQ(Bytes(fresh.nvram.begin() + 66, fresh.nvram.begin() + 76), Bytes(10, 0));
  EXPECT_NE(Bytes(old.nvram.begin() + 66, old.nvram.begin() + 76), Bytes(10, 0));
  EXPECT_EQ(old.nvram[161], 1);
  EXPECT_EQ(old.nvram[168], 1);
  EXPECT_EQ(fresh.nvram[161], 0);
  EXPECT_EQ(fresh.nvram[168], 0);
  // Everything else is the model's factory image.
  for (std::size_t a = 0; a < old.nvram.size(); ++a) {
    if ((a >= 66 && a < 76) || a == 161 || a == 168) continue;
    ASSERT_EQ(fresh.nvram[a], old.nvram[a]) << a;
  }
}

TEST_F(VirtualPrinterTest, BootModeTakesFirmwareThroughTheRawPort) {
  vprinter::Faults faults;
  faults.bootMode = true;
  Printer()->SetFaults(faults);
  CWinGreltDrv drv(directory);
  EXPECT_EQ(Open(drv), driver::kDrvBootMode);
  ASSERT_NE(drv.PortHandle(), 0);
  const Bytes foreign = vprinter::BuildFirmwareFile({"BS", "BS09A0", Bytes(4096, 1)});
  const Bytes file = vprinter::BuildFirmwareFile({"MW", "MW07C2", Bytes(4096, 2)});
  driver::CTurbine port;
  // Another model's file is refused as it completes: the write fails, the old firmware runs on.
  EXPECT_EQ(
      port.WritePort(drv.PortHandle(), foreign.data(), static_cast<int>(foreign.size()), 3000), 0);
  EXPECT_EQ(Printer()->Log().back(),
            "firmware refused: made for model BS; firmware MW06B1 runs on");
  for (std::size_t at = 0; at < file.size(); at += 1024) {
    const int length = static_cast<int>(std::min<std::size_t>(1024, file.size() - at));
    ASSERT_NE(port.WritePort(drv.PortHandle(), file.data() + at, length, 3000), 0);
  }
  drv.Close();
  EXPECT_EQ(port.WritePort(0x7FFFFFFF, file.data(), 10, 3000), 0);
  std::string version;
  ASSERT_EQ(Open(drv), 0);
  drv.Ctl_ReplyRomVer(&version);
  EXPECT_EQ(version, "MW07C2");
}

// Sends a file in pieces of 1024 bytes; how many bytes each piece had taken.
std::vector<int> SendInPieces(CWinGreltDrv& drv, const Bytes& file) {
  std::vector<int> taken;
  for (std::size_t at = 0; at < file.size(); at += 1024) {
    const int length = static_cast<int>(std::min<std::size_t>(1024, file.size() - at));
    const int result = drv.Send(file.data() + at, length);
    taken.push_back(result < 0 ? 0 : length);
    if (result < 0) break;
  }
  return taken;
}

TEST_F(VirtualPrinterTest, RefusedFirmwareIsToldByTheStatusAndTheOldFirmwareRunsOn) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  const auto status = [&drv] {
    driver::STATUSINF s;
    drv.Ctl_GetStatus(&s);
    return std::pair{s.type, s.errorCode};
  };
  // A header that names no model: refused with the first piece, which is not taken.
  Bytes badHeader = vprinter::BuildFirmwareFile({"MW", "MW07C2", Bytes(4096, 2)});
  badHeader[11] = 'Z';
  EXPECT_EQ(SendInPieces(drv, badHeader), std::vector<int>{0});
  EXPECT_EQ(status(), std::pair(0, 3));
  // A bad checksum: the piece that completes the file is not taken.
  ASSERT_EQ(Open(drv), 0);  // opened again, it has restarted
  EXPECT_EQ(status().first, 4);
  Bytes damaged = vprinter::BuildFirmwareFile({"MW", "MW07C2", Bytes(4096, 2)});
  damaged[500] ^= 1;
  const std::vector<int> taken = SendInPieces(drv, damaged);
  EXPECT_EQ(taken.back(), 0);
  EXPECT_EQ(status(), std::pair(0, 3));
  // A file that stops short: working while it may still come, then given up.
  ASSERT_EQ(Open(drv), 0);
  Bytes cut = vprinter::BuildFirmwareFile({"MW", "MW07C2", Bytes(4096, 2)});
  cut.resize(3000);
  SendInPieces(drv, cut);
  status();  // the buffer empties
  EXPECT_EQ(status().first, 3);
  clock.Advance(std::chrono::milliseconds(5000));
  EXPECT_EQ(status(), std::pair(0, 3));
  std::string version;
  drv.Ctl_ReplyRomVer(&version);
  EXPECT_EQ(version, "MW06B1");
}

// A printer that took new firmware installs it, then restarts: gone from the bus for a few
// seconds, then back on the new version, with every session ended.
TEST_F(VirtualPrinterTest, InstalledFirmwareRestartsThePrinter) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  const Bytes file = vprinter::BuildFirmwareFile({"MW", "MW07C2", Bytes(4096, 2)});
  SendInPieces(drv, file);
  driver::STATUSINF status;
  ASSERT_EQ(drv.Ctl_GetStatus(&status), 0);
  clock.Advance(std::chrono::milliseconds(29'000));
  ASSERT_EQ(drv.Ctl_GetStatus(&status), 0);
  EXPECT_EQ(status.type, 3);  // still installing
  clock.Advance(std::chrono::milliseconds(1'000));
  EXPECT_EQ(drv.Ctl_GetStatus(&status), driver::kDrvDisconnected);
  EXPECT_EQ(Open(drv), driver::kDrvDisconnected);
  clock.Advance(std::chrono::milliseconds(4'999));
  EXPECT_EQ(Open(drv), driver::kDrvDisconnected);
  clock.Advance(std::chrono::milliseconds(1));
  ASSERT_EQ(Open(drv), 0);
  std::string version;
  drv.Ctl_ReplyRomVer(&version);
  EXPECT_EQ(version, "MW07C2");
  ASSERT_EQ(drv.Ctl_GetStatus(&status), 0);
  EXPECT_EQ(status.type, 4);
}

// What the printer cannot keep in its folder did not happen: the change is undone and the call
// that made it fails, so the program's read-back takes over.
TEST_F(VirtualPrinterTest, AChangeThatCannotBeSavedFailsItsCall) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  const auto& k = *model->key;
  const Bytes before = Printer()->ReadNvram(600, 1);
  int written = 0;
  bool direct = true;
  {
    const testing_support::FullDisk full(4096);  // far less than a state file
    ASSERT_TRUE(full.Applied());
    written = drv.Ctl_WriteEEP_LFP(c0(), c1(), 600, 0x5A, k[0], k[1], k[2], k[3], k[4], k[5], k[6],
                                   k[7]);
    direct = Printer()->WriteNvram(601, {0x5A});
  }
  EXPECT_EQ(written, driver::kDrvWriteFailed);
  EXPECT_FALSE(direct);
  EXPECT_EQ(Printer()->ReadNvram(600, 1), before);
  EXPECT_NE(Printer()->ReadNvram(601, 1), Bytes{0x5A});
  EXPECT_EQ(vprinter::VirtualPrinter::Open(info.folder, clock)->ReadNvram(600, 1), before);
  // Reads and a close change nothing and go on working; with room again, writes do too.
  ASSERT_EQ(
      drv.Ctl_WriteEEP_LFP(c0(), c1(), 600, 0x5A, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7]),
      0);
  EXPECT_EQ(Printer()->ReadNvram(600, 1), Bytes{0x5A});
}

// Printers of two processes (here two objects) on one folder: each change is made on the state
// as saved, under the folder's lock, so none is lost.
TEST_F(VirtualPrinterTest, TwoServersOfOneFolderLoseNoWrite) {
  auto first = vprinter::VirtualPrinter::Open(info.folder, clock);
  auto second = vprinter::VirtualPrinter::Open(info.folder, clock);
  constexpr int kWrites = 60;
  const auto write = [](vprinter::VirtualPrinter& printer, int from) {
    for (int i = 0; i < kWrites; ++i)
      EXPECT_TRUE(printer.WriteNvram(from + i, {static_cast<std::uint8_t>(i)}));
  };
  std::thread a(write, std::ref(*first), 0x3000);
  std::thread b(write, std::ref(*second), 0x3800);
  a.join();
  b.join();
  const auto now = vprinter::VirtualPrinter::Open(info.folder, clock);
  for (int i = 0; i < kWrites; ++i) {
    ASSERT_EQ(now->ReadNvram(0x3000 + i, 1), Bytes{static_cast<std::uint8_t>(i)}) << i;
    ASSERT_EQ(now->ReadNvram(0x3800 + i, 1), Bytes{static_cast<std::uint8_t>(i)}) << i;
  }
}

TEST_F(VirtualPrinterTest, HeadIdAndClockCommandsAgreeWithTheProgramsReadings) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  // The printer's head ID reads back as a valid ID.
  std::uint8_t bytes[45];
  ASSERT_EQ(drv.Prod_ReplyEEPMulti_LFP(c0(), c1(), driver::kHeadIdAddress, 45, bytes), 0);
  int symbols[45];
  for (int i = 0; i < 45; ++i) symbols[i] = bytes[i];
  std::string id;
  ASSERT_EQ(driver::CWinHdidapi(80).ConvData2String(symbols, &id), 0);
  // Writing another: the command carries the characters, the printer keeps the symbols.
  std::string next = id;
  std::rotate(next.begin(), next.begin() + 1, next.begin() + 44);
  next[44] = driver::kHeadIdAlphabet[0];
  int check[45];
  for (int i = 0; i < 44; ++i) check[i] = static_cast<int>(driver::kHeadIdAlphabet.find(next[i]));
  next[44] =
      driver::kHeadIdAlphabet[static_cast<std::size_t>(driver::CWinHdidapi::CheckSymbol(check))];
  Bytes job = {0x1B, 0x7D, 0x01, 0x34, 0x00, c0(), c1(), 0x22, 0xDD, 0x11, 0x00, 0x01};
  job.insert(job.end(), next.begin(), next.end());
  // And the clock: 26-12-06 09:30:00.
  const Bytes clockSet = {0x1B, 0x7C, 0x01, 0x0B, 0x00, c0(), c1(), 0x63,
                          0x9C, 0xB1, 0x1A, 0x0C, 0x06, 0x09, 0x1E, 0x00};
  job.insert(job.end(), clockSet.begin(), clockSet.end());
  ASSERT_EQ(drv.Send(job.data(), static_cast<int>(job.size())), static_cast<int>(job.size()));
  drv.Prod_ReplyEEPMulti_LFP(c0(), c1(), driver::kHeadIdAddress, 45, bytes);
  for (int i = 0; i < 45; ++i) symbols[i] = bytes[i];
  ASSERT_EQ(driver::CWinHdidapi(80).ConvData2String(symbols, &id), 0);
  EXPECT_EQ(id, next);
  std::string text;
  drv.Prod_ReplyRTC_SetVal(c0(), c1(), &text);
  EXPECT_EQ(text, "261206093000");
  clock.Advance(std::chrono::seconds(65));
  drv.Prod_ReplyRTC(c0(), c1(), &text);
  EXPECT_EQ(text, "261206093105");
}

TEST_F(VirtualPrinterTest, StateSurvivesARestartAndDamageIsReported) {
  {
    CWinGreltDrv drv(directory);
    ASSERT_EQ(Open(drv), 0);
    const auto& k = *model->key;
    drv.Ctl_WriteEEP_LFP(c0(), c1(), 1234, 0x5C, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7]);
  }
  driver::DeviceDirectory::ForgetConnections();
  std::string problem;
  auto reopened = vprinter::VirtualPrinter::Open(info.folder, clock, &problem);
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->ReadNvram(1234, 1), Bytes{0x5C});

  {
    std::fstream file(info.folder + "/state.bin", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(5000);
    file.put('\x42');
  }
  auto damaged = vprinter::VirtualPrinter::Open(info.folder, clock, &problem);
  ASSERT_TRUE(damaged);
  EXPECT_EQ(problem, "state file damaged (checksum)");
  EXPECT_TRUE(std::filesystem::exists(info.folder + "/state.bin.damaged"));
  EXPECT_NE(damaged->Log().back().find("replaced by the factory image"), std::string::npos);
  EXPECT_FALSE(vprinter::VirtualPrinter::Open(folder / "nothing", clock, &problem));
  EXPECT_EQ(problem, "no state file");
}

// What a trainer set up (motor readings, the unit's tiles, lamp and thermosensor) is still there
// for the next program that opens the printer.
TEST_F(VirtualPrinterTest, ATrainersSetUpSurvivesARestart) {
  Printer()->SetMotorReading(1, 4, 279, 2496);
  Printer()->ChangeUnit([](vprinter::UnitState& u) {
    u.tiles[6] = {50.25, -0.125, 3.5};
    u.lamp = "off,on";
    u.temperature = 28;
  });
  driver::DeviceDirectory::ForgetConnections();
  auto reopened = vprinter::VirtualPrinter::Open(info.folder, clock);
  ASSERT_TRUE(reopened);
  const vprinter::PrinterState state = reopened->Snapshot();
  EXPECT_EQ(state.motorReadings.at(1 * 16 + 4),
            (std::pair<std::uint16_t, std::uint16_t>{279, 2496}));
  EXPECT_EQ(state.unit.tiles.at(6), (std::array<double, 3>{50.25, -0.125, 3.5}));
  EXPECT_EQ(state.unit.lamp, "off,on");
  EXPECT_EQ(state.unit.temperature, 28);
}

// A printer left attached for months does not fill the disk with its log: past a megabyte the
// log starts again and the lines before are kept beside it once.
TEST_F(VirtualPrinterTest, ALogPastAMegabyteStartsAgain) {
  const std::string log = info.folder + "/" + vprinter::VirtualPrinter::kLogFile;
  std::ofstream(log, std::ios::app) << std::string((1u << 20) + 1, 'x') << '\n';
  Printer()->SetFaults(vprinter::Faults{});
  EXPECT_LT(std::filesystem::file_size(log), 1000u);
  EXPECT_GT(std::filesystem::file_size(info.folder + "/" + vprinter::VirtualPrinter::kOldLogFile),
            1u << 20);
}

// The network nozzle check, as the program sends it to the printer's own daemon, asks for the
// printer's own pattern: a page with a staircase of every ink.
TEST_F(VirtualPrinterTest, ANetworkNozzleCheckPrintsThePrintersOwnPattern) {
  const std::string& job = testing_support::kNetworkNozzleCheckJob;
  Printer()->ReceiveNetworkJob(Bytes(job.begin(), job.end()));
  ASSERT_EQ(Printer()->PageDots().size(), 1u);
  const vprinter::DotCounts dots = Printer()->PageDots().back();
  for (const int ink : {0x00, 0x01, 0x02, 0x04}) EXPECT_EQ(dots.at(ink), 16u * 24u) << ink;
  EXPECT_TRUE(Printer()->UnknownCommands().empty());
}

TEST(TileReadings, AreThreeNumbersAndNothingElse) {
  std::array<double, 3> lab{};
  ASSERT_TRUE(vprinter::ParseTileLab("94.2,-0.5,1.25", lab));
  EXPECT_EQ(lab, (std::array<double, 3>{94.2, -0.5, 1.25}));
  for (const char* bad :
       {"94.2,-0.5", "94.2,-0.5,1,2", "L,-0.5,1", "94.2;-0.5;1", "nan,0,0", "94.2,-0.5,1x", ""})
    EXPECT_FALSE(vprinter::ParseTileLab(bad, lab)) << bad;
}

TEST_F(VirtualPrinterTest, MeasuredMovesAndInspectionsLeaveTheirReadings) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  auto measuredMove = [&](std::uint8_t motor, std::uint8_t mode) {
    const Bytes move = {0x1B, 0x7D, 0x01,  0x0B, 0x00, c0(), c1(), 0x13,
                        0xEC, 0x89, motor, mode, 0x40, 0x38, 0x00, 0x00};
    ASSERT_EQ(drv.Send(move.data(), static_cast<int>(move.size())), static_cast<int>(move.size()));
  };
  std::uint8_t reading[2];
  measuredMove(1, 4);
  drv.Prod_ReplyEEPMulti_LFP(c0(), c1(), 7824, 2, reading);
  const int healthy = reading[0] | (reading[1] << 8);
  EXPECT_GT(healthy, 0);
  EXPECT_LT(healthy, 0xFFFF);
  vprinter::Faults faults;
  faults.motorFails = true;
  Printer()->SetFaults(faults);
  measuredMove(1, 4);
  drv.Prod_ReplyEEPMulti_LFP(c0(), c1(), 7824, 2, reading);
  EXPECT_EQ(reading[0] | (reading[1] << 8), 0xFFFF);

  const Bytes aid = {0x1B, 0x7D, 0x01, 0x06, 0x00, c0(), c1(), 0x64, 0x9B, 0x32, 0x01};
  drv.Send(aid.data(), static_cast<int>(aid.size()));
  std::uint8_t results[20];
  std::uint8_t verdict = 0;
  drv.Prod_ReplyEEPMulti_LFP(c0(), c1(), 48672, 20, results);
  drv.Prod_ReplyEEP_LFP(c0(), c1(), 48436, &verdict);
  int sum = 0;
  for (int i = 0; i < 10; ++i) sum += results[2 * i] | (results[2 * i + 1] << 8);
  EXPECT_GE(sum, 3556);  // above the strictest model's limit
  EXPECT_EQ(verdict, 1);
}

TEST_F(VirtualPrinterTest, FaultsSetByAnotherProcessReachARunningPrinter) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  // Another process opens the same state file, as grelt02-cli does, and gives a fault.
  auto other = vprinter::VirtualPrinter::Open(info.folder, clock);
  vprinter::Faults faults;
  faults.paperOut = true;
  other->SetFaults(faults);
  driver::STATUSINF status;
  drv.Ctl_GetStatus(&status);
  EXPECT_EQ(status.errorCode, driver::kErrorPaperOut);
  // And the running printer's own changes do not undo it.
  const auto& k = *model->key;
  drv.Ctl_WriteEEP_LFP(c0(), c1(), 600, 1, k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7]);
  EXPECT_TRUE(other->Snapshot().faults.paperOut);
  EXPECT_EQ(other->ReadNvram(600, 1), Bytes{1});
}

TEST_F(VirtualPrinterTest, ADamagedStateKeepsTheModelItStillShows) {
  {
    std::fstream file(info.folder + "/state.bin", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(-10, std::ios::end);
    file.put('\x42');
  }
  std::string problem;
  auto printer = vprinter::VirtualPrinter::Open(info.folder, clock, &problem);
  ASSERT_TRUE(printer);
  EXPECT_EQ(printer->Snapshot().model, "MW");
}

TEST_F(VirtualPrinterTest, TheOptionUnitAnswersItsCalls) {
  CWinGreltDrv drv(directory);
  ASSERT_EQ(Open(drv), 0);
  driver::ALSTATUSINF unit;
  ASSERT_EQ(drv.Accel_Remote_GetStatus(0, &unit), 0);
  EXPECT_EQ(unit.state, 0);
  const Bytes init = {0x1B, 0x7C, 0x00, 0x06, 0x00, c0(), c1(), 0x9A, 0x65, 0x4D, 0xFE,
                      0x1B, 0x7C, 0x00, 0x06, 0x00, c0(), c1(), 0x9A, 0x65, 0x4D, 0x03};
  drv.Send(init.data(), static_cast<int>(init.size()));
  drv.Accel_Remote_GetStatus(0, &unit);
  EXPECT_EQ(unit.state, 0);  // stopped once more while it starts
  drv.Accel_Remote_GetStatus(0, &unit);
  EXPECT_EQ(unit.state, 1);
  driver::ASTATUSINF accel;
  drv.Accel_Remote_GetStatus_st(&accel);
  EXPECT_EQ(accel.state & 1, 1);
  EXPECT_EQ(accel.reading, 23);
  // The white tile at positions 4, 6 and 8 measures nearly the same everywhere.
  auto scanAt = [&](std::uint8_t position) {
    const Bytes move = {0x1B, 0x7B, 0x01, 0x0B, 0x00,     c0(), c1(), 0x28,
                        0xD7, 0x14, 0x00, 0x00, position, 0x00, 0x00, 0x00};
    drv.Send(move.data(), static_cast<int>(move.size()));
    std::string reply;
    EXPECT_EQ(drv.Accel_Remote_GetColorimetry_RplyData(&reply), 0);
    EXPECT_EQ(reply.find(','), 9u);
    return std::array<double, 3>{std::stod(reply.substr(1, 8)), std::stod(reply.substr(10, 8)),
                                 std::stod(reply.substr(19, 8))};
  };
  const auto four = scanAt(4);
  const auto six = scanAt(6);
  const auto zero = scanAt(0);
  EXPECT_LT(std::hypot(six[0] - four[0], six[1] - four[1], six[2] - four[2]), 0.15);
  EXPECT_GT(std::hypot(six[0] - zero[0], six[1] - zero[1], six[2] - zero[2]), 10.0);
  std::uint8_t byte = 0;
  Printer()->WriteNvram(170, {0xF6}, true);
  EXPECT_EQ(drv.Prod_ReplyEEP2(c0(), c1(), 170, 0, &byte), 0);
  EXPECT_EQ(byte, 0xF6);
}

}  // namespace
