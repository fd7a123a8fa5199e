// The main-board exchange end to end: an old printer is backed up, a new board is put on the same
// port, the backup is restored onto it, and both NVRAMs and lists are compared.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "nvram_files/image_files.h"
#include "operations/board_exchange.h"
#include "operations/service_operations.h"
#include "support/full_disk.h"
#include "support/service_fixture.h"
#include "support/temp_folder.h"

namespace {

using namespace testing_support;
using operations::kExecuteBase;
using operations::kInputBase;
namespace nv = driver::nvram;
namespace files = nvram_files;

constexpr int kBoardItem = 10200;
// 2026-01-06 09:30:05 UTC.
constexpr std::int64_t kBackupTime = 1767691805;

class BoardExchangeTest : public OperationsFixture {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    clock.SetUnixSeconds(kBackupTime);
    UseScratchServiceFolder();
    operations::AddBoardExchangeOperations(table);
    request.pageText = Environment().catalogue.ReadFunctionPageText(kBoardItem);
    Attach("LW");
  }

  std::string WorkImage() { return Environment().folders.service + "/" + files::kWorkImageFile; }
  std::string WorkLists() { return Environment().folders.service + "/" + files::kWorkListFile; }

  // What the operation returned.
  bool Backup() { return Run(kExecuteBase, kBoardItem) && request.operationSucceeded; }
  bool Restore() {
    ui.QueueAnswer(ui::kAnswerOk);
    return Run(kInputBase, kBoardItem) && request.operationSucceeded;
  }
  // Takes the old board out and puts a new one (or another printer) on the same port.
  void ExchangeBoard(bool newBoard = true, const std::string& name = "newboard") {
    old_ = Printer()->Snapshot();
    ASSERT_TRUE(vprinter::DetachVirtualPrinter(directory, info.name));
    std::string error;
    const auto attached = vprinter::AttachVirtualPrinter(directory, folder.Path(), "LW", name,
                                                         kPort, clock, &error, newBoard);
    ASSERT_TRUE(attached) << error;
    info = *attached;
  }
  std::vector<ui::UiCall> ProgressCalls() {
    std::vector<ui::UiCall> calls;
    for (const ui::UiCall& call : ui.Calls())
      if (call.kind == ui::UiCallKind::Progress || call.kind == ui::UiCallKind::ProgressPosition ||
          call.kind == ui::UiCallKind::ProgressClosed)
        calls.push_back(call);
    return calls;
  }
  // Every progress dialog shown was closed again.
  void ExpectProgressClosed() {
    const auto calls = ProgressCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().kind, ui::UiCallKind::ProgressClosed);
  }
  static std::vector<std::uint8_t> ReadAll(const std::string& path) {
    const std::string bytes = testing_support::ReadWholeFile(path);
    return {bytes.begin(), bytes.end()};
  }
  // The positions the bar was set to after the phase with this text began.
  std::vector<int> PositionsOfPhase(const std::string& text) {
    std::vector<int> positions;
    bool inPhase = false;
    for (const ui::UiCall& call : ProgressCalls()) {
      if (call.kind == ui::UiCallKind::Progress) inPhase = call.text == text;
      if (inPhase && call.kind == ui::UiCallKind::ProgressPosition)
        positions.push_back(call.answer);
    }
    return positions;
  }
  // The new board equals the old one at every address a restore writes, but where it must not.
  void ExpectBoardIsOldOne(const std::set<int>& except) {
    const vprinter::PrinterState now = Printer()->Snapshot();
    int differences = 0;
    for (int a = 0; a < 0x10000; ++a) {
      if (files::IsSkipped(a) || except.count(a) != 0) continue;
      if (now.nvram[a] != old_.nvram[a] && ++differences < 5)
        ADD_FAILURE() << "NVRAM differs at " << a;
    }
    EXPECT_EQ(differences, 0);
  }

  vprinter::PrinterState old_;
};

std::set<int> Range(int from, int count) {
  std::set<int> addresses;
  for (int i = 0; i < count; ++i) addresses.insert(from + i);
  return addresses;
}

TEST_F(BoardExchangeTest, BackupWritesTheImageAndTheListsWithOneDateStamp) {
  ASSERT_TRUE(Backup());
  EXPECT_EQ(request.operationRan, "BackupNvramForExchange");
  EXPECT_EQ(Shown(), std::vector{Message(10000003)});
  const vprinter::PrinterState printer = Printer()->Snapshot();
  const auto image = ReadAll(WorkImage());
  ASSERT_EQ(image.size(), 65560u);
  for (int a = 0; a < 0x10000; ++a) {
    const std::uint8_t expected = files::IsSkipped(a) ? 0xFF : printer.nvram[a];
    ASSERT_EQ(image[a], expected) << a;
  }
  const std::uint8_t stamp[24] = {0xEA, 7, 0, 0, 1,  0, 0, 0, 6, 0, 0, 0,
                                  9,    0, 0, 0, 30, 0, 0, 0, 5, 0, 0, 0};
  EXPECT_TRUE(std::equal(std::begin(stamp), std::end(stamp), &image[0x10000]));
  const auto lists = ReadAll(WorkLists());
  ASSERT_EQ(lists.size(), 69656u);
  EXPECT_TRUE(std::equal(printer.listD6.begin(), printer.listD6.end(), lists.begin()));
  EXPECT_TRUE(std::equal(printer.listA3.begin(), printer.listA3.end(), lists.begin() + 0x1000));
  EXPECT_TRUE(std::equal(std::begin(stamp), std::end(stamp), &lists[0x11000]));
  // One read phase: its text, colour and range, a position per block, then closed.
  const auto progress = ProgressCalls();
  ASSERT_EQ(progress.front().kind, ui::UiCallKind::Progress);
  EXPECT_EQ(progress.front().text, "Reading the NVRAM of the old board...");
  EXPECT_EQ(progress.front().style, 0x7EEA47u);
  EXPECT_EQ(progress.front().answer, 512);
  const auto positions = PositionsOfPhase(progress.front().text);
  ASSERT_EQ(positions.size(), 192u + 16u + 256u);
  EXPECT_EQ(positions[191], 191);
  EXPECT_EQ(positions[192], 192);
  EXPECT_EQ(positions.back(), 192 + 16 + 256 - 1);
  ExpectProgressClosed();
}

// The two work files are one backup: a backup that fails, at a read or on a full disk, leaves
// both earlier files exactly as they were, and nothing beside them.
TEST_F(BoardExchangeTest, AFailedBackupKeepsBothEarlierWorkFiles) {
  ASSERT_TRUE(Backup());
  const auto earlierImage = ReadAll(WorkImage());
  const auto earlierLists = ReadAll(WorkLists());
  const auto expectEarlierPair = [&] {
    EXPECT_EQ(ReadAll(WorkImage()), earlierImage);
    EXPECT_EQ(ReadAll(WorkLists()), earlierLists);
    int workFiles = 0;  // temporary ones too
    for (const auto& entry : std::filesystem::directory_iterator(Environment().folders.service))
      workFiles += entry.path().filename().string().find(".tmp") != std::string::npos ? 1 : 0;
    EXPECT_EQ(workFiles, 2);
  };
  clock.Advance(std::chrono::seconds(5));
  Poke(0x2300, {0x11, 0x22});
  for (const auto& [from, to] : {std::pair{0x2300, 0x2300}, std::pair{0x5000, 0x5000}}) {
    // A block of NVRAM, then (in the skipped range, so only the A3 list meets it) a list block.
    SetFaults([&](vprinter::Faults& f) {
      f.readFailFrom = from;
      f.readFailTo = to;
    });
    Mark();
    EXPECT_FALSE(Backup());
    EXPECT_EQ(Shown(), std::vector{Message(90000002)});
    ExpectProgressClosed();
    expectEarlierPair();
  }
  // The disk fills while the list file is written: nothing is replaced.
  SetFaults([](vprinter::Faults& f) { f = {}; });
  bool backedUp = true;
  {
    const FullDisk full(files::kImageFileSize + 100);  // the image fits, the list file does not
    ASSERT_TRUE(full.Applied());
    Mark();
    backedUp = Backup();
  }
  EXPECT_FALSE(backedUp);
  EXPECT_EQ(Shown(), std::vector{Message(91020002)});
  expectEarlierPair();
}

TEST_F(BoardExchangeTest, RestoreOntoANewBoardWithoutSerialNumber) {
  ASSERT_TRUE(Backup());
  const std::string serial = files::ImageSerialNumber(ReadAll(WorkImage()));
  ExchangeBoard();
  Mark();
  ASSERT_TRUE(Restore());
  EXPECT_EQ(request.operationRan, "RestoreNvramFromBackup");
  EXPECT_TRUE(request.operationSucceeded);
  EXPECT_EQ(request.done, 1);
  EXPECT_EQ(request.outputText, serial);
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(11020002)}));
  ExpectBoardIsOldOne({});
  const vprinter::PrinterState now = Printer()->Snapshot();
  EXPECT_EQ(now.listA3, old_.listA3);
  EXPECT_EQ(now.listD6, old_.listD6);
  EXPECT_EQ(now.nvram[nv::kBoardInitialised], 1);
  EXPECT_EQ(now.nvram[nv::kDestinationSet], 1);
  EXPECT_FALSE(std::filesystem::exists(WorkImage()));
  EXPECT_FALSE(std::filesystem::exists(WorkLists()));
  // The three phases: write, then verify with the lists counting on from 560.
  EXPECT_EQ(PositionsOfPhase("Writing the NVRAM of the new board...").back(), 383 * 128);
  const auto verify = PositionsOfPhase("Verifying the NVRAM and the lists...");
  ASSERT_EQ(verify.size(), 17u + 1u + 32u + 512u);
  EXPECT_EQ(verify[16], 16 * 128);
  EXPECT_EQ(verify[17], 0);
  EXPECT_EQ(verify[18], 560);
  EXPECT_EQ(verify.back(), 560 + 32 + 512 - 1);
  ExpectProgressClosed();
}

TEST_F(BoardExchangeTest, RestoreOntoABoardWithItsOwnSerialKeepsItAndStampsTheExchange) {
  ASSERT_TRUE(Backup());
  ExchangeBoard(false, "other");  // a whole printer of the model: serial set, both flags set
  const auto ownSerial = Peek(nv::kSerialNumber, nv::kSerialLength);
  Poke(nv::kBoardInitialised, {0});
  Poke(nv::kDestinationSet, {0});
  ASSERT_TRUE(Restore());
  EXPECT_EQ(Peek(nv::kSerialNumber, nv::kSerialLength), ownSerial);
  EXPECT_EQ(Peek(nv::kExchangeStamp, 5), (vprinter::Bytes{1, 26, 1, 6, 9}));
  std::set<int> except = Range(nv::kSerialNumber, nv::kSerialLength);
  except.merge(Range(nv::kExchangeStamp, 5));
  ExpectBoardIsOldOne(except);
}

TEST_F(BoardExchangeTest, RestoreOntoABoardWhoseDestinationIsSet) {
  ASSERT_TRUE(Backup());
  ExchangeBoard();
  // Set to this program's destination: only the ranges from 0x2590 on are verified.
  Poke(nv::kDestinationSet, {1});
  ASSERT_TRUE(Restore());
  const auto verify = PositionsOfPhase("Verifying the NVRAM and the lists...");
  const auto reset = std::find(verify.begin() + 1, verify.end(), 0);  // the bar after verifying
  EXPECT_EQ(reset - verify.begin(), 10);
  EXPECT_EQ(Peek(nv::kDestinationSet, 1), vprinter::Bytes{1});

  // Set to another destination: refused before anything is written.
  ASSERT_TRUE(Backup());
  ExchangeBoard(true, "third");
  Poke(nv::kDestinationSet, {1});
  Poke(nv::kDestinationBytes[5], {9});
  const vprinter::PrinterState before = Printer()->Snapshot();
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020006)}));
  EXPECT_EQ(Printer()->Snapshot().nvram, before.nvram);
  EXPECT_TRUE(std::filesystem::exists(WorkImage()));
  EXPECT_TRUE(std::filesystem::exists(WorkLists()));
}

TEST_F(BoardExchangeTest, RestoreWritesTheProgramsDestinationOntoABoardWithoutOne) {
  ASSERT_TRUE(Backup());
  std::vector<std::uint8_t> image = ReadAll(WorkImage());
  for (int address : nv::kDestinationBytes) image[address] = 7;  // the old board's own
  std::ofstream(WorkImage(), std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
  ExchangeBoard();
  ASSERT_TRUE(Restore());
  const auto destination = *driver::FindDestination(driver::kProgramDestination);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Peek(nv::kDestinationBytes[i], 1)[0], destination[i]);
}

TEST_F(BoardExchangeTest, AFailedBlockWriteEndsTheRestoreBeforeAnyFlagAndItCanBeRepeated) {
  ASSERT_TRUE(Backup());
  ExchangeBoard();
  SetFaults([](vprinter::Faults& f) { f.writeFailFrom = f.writeFailTo = 0x9000; });
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020004)}));
  ExpectProgressClosed();
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{0});
  EXPECT_EQ(Peek(nv::kDestinationSet, 1), vprinter::Bytes{0});
  EXPECT_TRUE(std::filesystem::exists(WorkImage()));
  EXPECT_TRUE(std::filesystem::exists(WorkLists()));

  // The first blocks carried the old serial number onto the board: it is now the board's own, and
  // the exchange is stamped.
  SetFaults([](vprinter::Faults& f) { f.writeFailFrom = f.writeFailTo = -1; });
  ASSERT_TRUE(Restore());
  ExpectBoardIsOldOne(Range(nv::kExchangeStamp, 5));
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{1});
}

TEST_F(BoardExchangeTest, AVerifiedBlockThatReadsBackWrongEndsTheRestore) {
  ASSERT_TRUE(Backup());
  ExchangeBoard();
  // A range the verification reads back cannot be read: it counts as a difference.
  SetFaults([](vprinter::Faults& f) { f.readFailFrom = f.readFailTo = 0x29A0; });
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020004)}));
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{0});
}

// A board that takes a block write but does not keep a byte of it fails the verification: no
// success, no flag, and both work files stay for another try.
TEST_F(BoardExchangeTest, ABoardThatDoesNotKeepAByteIsNoRestore) {
  Poke(0x2700, {0x5A});
  ASSERT_TRUE(Backup());
  ExchangeBoard();
  ASSERT_NE(Peek(0x2700, 1), vprinter::Bytes{0x5A});
  SetFaults([](vprinter::Faults& f) { f.stuckFrom = f.stuckTo = 0x2700; });
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020004)}));
  EXPECT_EQ(request.lastError, -992);
  EXPECT_EQ(request.done, 0);
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{0});
  EXPECT_EQ(Peek(nv::kDestinationSet, 1), vprinter::Bytes{0});
  EXPECT_TRUE(std::filesystem::exists(WorkImage()));
  EXPECT_TRUE(std::filesystem::exists(WorkLists()));
}

TEST_F(BoardExchangeTest, ImageFilesAreCheckedBeforeAnythingIsWritten) {
  Mark();
  EXPECT_FALSE(Restore());  // no work image
  EXPECT_EQ(Shown(), std::vector{Message(91020005)});

  ASSERT_TRUE(Backup());
  std::filesystem::resize_file(WorkImage(), 65559);
  const vprinter::PrinterState before = Printer()->Snapshot();
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020007)}));
  EXPECT_EQ(Printer()->Snapshot().nvram, before.nvram);

  // A chosen file of the same length is accepted; one that does not exist is not.
  request.selector = 1;
  ui.QueueFile(WorkImage());
  EXPECT_TRUE(Restore());
  EXPECT_TRUE(std::filesystem::exists(WorkImage()));  // a chosen file is never deleted
  // One shorter than the NVRAM it must hold is refused: its missing bytes would go out as zeros.
  std::filesystem::resize_file(WorkImage(), 0x10000 - 1);
  ui.QueueFile(WorkImage());
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020007)}));
  // Exactly the NVRAM's 65,536 bytes, without the date: accepted.
  std::filesystem::resize_file(WorkImage(), 0x10000);
  ui.QueueFile(WorkImage());
  Mark();
  EXPECT_TRUE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(11020002)}));
  ui.QueueFile(folder / "missing.bin");
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), std::vector{Message(90000007)});
  ui.QueueFile(std::nullopt);  // cancelled: nothing shown, nothing done
  Mark();
  EXPECT_FALSE(Run(kInputBase, kBoardItem) && request.operationSucceeded);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(BoardExchangeTest, CancelAtTheQuestionChangesNothing) {
  ASSERT_TRUE(Backup());
  ExchangeBoard();
  const vprinter::PrinterState before = Printer()->Snapshot();
  ui.QueueAnswer(ui::kAnswerCancel);
  EXPECT_TRUE(Run(kInputBase, kBoardItem) && request.operationSucceeded);
  EXPECT_EQ(request.outputText, files::ImageSerialNumber(ReadAll(WorkImage())));
  EXPECT_EQ(Printer()->Snapshot().nvram, before.nvram);
  EXPECT_EQ(request.done, 0);
}

// A list file of another backup (a backup cut between its two renames leaves one) or none at
// all: the technician is told before the board is marked, and decides. Cancel leaves the board
// unmarked, to be restored again; OK finishes without the lists.
TEST_F(BoardExchangeTest, ListsOfAnotherBackupOrNoneAreToldBeforeTheBoardIsMarked) {
  ASSERT_TRUE(Backup());
  auto lists = ReadAll(WorkLists());
  lists[0x11000 + 20] ^= 1;  // another second
  std::ofstream(WorkLists(), std::ios::binary)
      .write(reinterpret_cast<const char*>(lists.data()),
             static_cast<std::streamsize>(lists.size()));
  ExchangeBoard();
  const vprinter::PrinterState fresh = Printer()->Snapshot();
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerCancel);
  Mark();
  EXPECT_FALSE(Run(kInputBase, kBoardItem) && request.operationSucceeded);
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020009)}));
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageBox).back().style & 0xF, ui::kOkCancel);
  ExpectProgressClosed();
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{0});
  EXPECT_EQ(request.done, 0);
  EXPECT_TRUE(std::filesystem::exists(WorkLists()));
  EXPECT_TRUE(std::filesystem::exists(WorkImage()));
  // Finished without them: erased, as every uninitialised board's lists are, and not written.
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerOk);
  Mark();
  ASSERT_TRUE(Run(kInputBase, kBoardItem) && request.operationSucceeded);
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020009), Message(11020002)}));
  EXPECT_EQ(Printer()->Snapshot().listA3, std::vector<std::uint8_t>(0x10000, 0xFF));
  EXPECT_NE(fresh.listA3, Printer()->Snapshot().listA3);
  EXPECT_FALSE(std::filesystem::exists(WorkLists()));
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{1});

  // No list file at all: the same question.
  ASSERT_TRUE(Backup());
  std::filesystem::remove(WorkLists());
  ExchangeBoard(true, "third");
  ui.QueueAnswer(ui::kAnswerOk);
  ui.QueueAnswer(ui::kAnswerCancel);
  Mark();
  EXPECT_FALSE(Run(kInputBase, kBoardItem) && request.operationSucceeded);
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020009)}));
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{0});
}

TEST_F(BoardExchangeTest, AnInitialisedBoardKeepsItsListsAndTheListFileIsDeleted) {
  ASSERT_TRUE(Backup());
  ExchangeBoard();
  Poke(nv::kBoardInitialised, {1});
  const vprinter::PrinterState fresh = Printer()->Snapshot();
  ASSERT_TRUE(Restore());
  EXPECT_EQ(Printer()->Snapshot().listA3, fresh.listA3);
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{1});
  EXPECT_FALSE(std::filesystem::exists(WorkLists()));
  EXPECT_FALSE(std::filesystem::exists(WorkImage()));
}

TEST_F(BoardExchangeTest, ListFaultsEndTheRestoreWithTheirMessages) {
  ASSERT_TRUE(Backup());
  ExchangeBoard();
  SetFaults([](vprinter::Faults& f) { f.eraseFails = true; });
  Mark();
  EXPECT_FALSE(Restore());
  EXPECT_EQ(Shown(), (std::vector{Message(11020001), Message(91020006)}));
  ExpectProgressClosed();
  EXPECT_EQ(Peek(nv::kBoardInitialised, 1), vprinter::Bytes{0});
}

TEST_F(BoardExchangeTest, UtilityBackupProposesSerialAndTimeAndSavesTheImage) {
  const std::string serial(reinterpret_cast<const char*>(Peek(nv::kSerialNumber, 10).data()), 10);
  ui.QueueFile(folder / "saved.bin");
  const auto result = operations::RunUtilityBackup(Environment(), "Reading...");
  EXPECT_EQ(result.serialNumber, serial);
  EXPECT_EQ(result.savedPath, folder / "saved.bin");
  const auto save = ui.Calls(ui::UiCallKind::SaveFile);
  ASSERT_EQ(save.size(), 1u);
  EXPECT_NE(save[0].text.find(serial + "_20260106093005.bin"), std::string::npos) << save[0].text;
  EXPECT_EQ(save[0].caption, folder.Path());
  const auto image = ReadAll(folder / "saved.bin");
  ASSERT_EQ(image.size(), 65560u);
  EXPECT_EQ(image[0x4000], 0xFF);
  EXPECT_EQ(image[nv::kSerialNumber], serial[0]);
  EXPECT_EQ(ProgressCalls().front().answer, 180);
  ExpectProgressClosed();

  // A block that cannot be read: nothing is offered for saving.
  SetFaults([](vprinter::Faults& f) { f.readFailFrom = f.readFailTo = 0x100; });
  Mark();
  EXPECT_TRUE(operations::RunUtilityBackup(Environment(), "Reading...").savedPath.empty());
  EXPECT_EQ(Shown(), std::vector{Message(90000002)});
  EXPECT_EQ(ui.Calls(ui::UiCallKind::SaveFile).size(), 1u);
}

}  // namespace
