// CPrinterLink against a scripted library: the exact calls, waits and messages of each operation.

#include "printer/printer_link.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "driver/cwin_hdidapi.h"
#include "support/fake_driver.h"
#include "support/temp_folder.h"
#include "ui/scripted_ui_services.h"

namespace {

using testing_support::FakeDriver;
using Bytes = std::vector<std::uint8_t>;

class LinkTest : public ::testing::Test {
protected:
  LinkTest() {
    settings.strStatus[2] = "Busy";
    settings.strStatus[3] = "Printing";
    settings.strError[6] = "Out of paper";
    settings.strError[4] = "Jam";
    settings.strMessage[1] = "fix it";
    settings.strMessage[2] = "stop";
    settings.strMessage[3] = "load paper";
    settings.strMessage[4] = "give up";
    settings.strMessage[5] = "call service";
    settings.nUseKorvuPort = 1;
    auto owned = std::make_unique<FakeDriver>();
    fake = owned.get();
    link = std::make_unique<printer::CPrinterLink>(printer::LinkEnvironment{settings, ui, clock},
                                                   std::move(owned));
    link->SetModel("MW");
  }
  Bytes Job() const { return Bytes(link->JobData(), link->JobData() + link->JobLength()); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& call : ui.Calls()) texts.push_back(call.text);
    return texts;
  }

  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  FakeDriver* fake;
  std::unique_ptr<printer::CPrinterLink> link;
};

TEST_F(LinkTest, OpensByNumberWithTheSettingsOptionAndKeepsTheLastError) {
  EXPECT_EQ(link->LastError(), 1);
  EXPECT_TRUE(link->Open(3));
  EXPECT_EQ(fake->calls.back(), "Open 3 1");
  fake->openResult = -7;
  EXPECT_FALSE(link->Open(5));
  EXPECT_EQ(link->LastError(), -7);
  fake->openResult = 0;
  EXPECT_TRUE(link->Open(5));
  EXPECT_EQ(link->LastError(), -7);  // a success does not reset it
}

TEST_F(LinkTest, WaitForStatusPollsOnceASecond) {
  EXPECT_TRUE(link->WaitForStatus(0, 4, -1));
  EXPECT_EQ(fake->Count("Ctl_GetStatus"), 0);

  fake->status = {{0, 3}, {0, 7}, {0, 4}};
  EXPECT_TRUE(link->WaitForStatus(10, 4, -1));
  EXPECT_EQ(clock.SleepCount(), 3);
  EXPECT_EQ(clock.SleptMs(), 3000);

  fake->status = {{0, 7}, {0, 3}};
  EXPECT_TRUE(link->WaitForStatus(10, 4, 3));  // the alternative ends it too

  fake->status = {{0, 2}, {0, 3}, {0, 3}};
  EXPECT_FALSE(link->WaitForStatus(3, 4, -1));
  EXPECT_EQ(link->LastError(), -995);
  EXPECT_EQ(Messages().back(), "Printing");  // the text of the last type read

  fake->status = {{-8, 0}};
  EXPECT_FALSE(link->WaitForStatus(5, 4, -1));
  EXPECT_EQ(link->LastError(), -8);
}

TEST_F(LinkTest, OptionUnitStatesReadAsTheyShould) {
  std::string text;
  fake->unit.offline = 3;
  EXPECT_FALSE(link->GetAccelUnitStatus(0, text));
  EXPECT_EQ(text, "ACC_OFFLINEILS_OFFLINE");
  fake->unit = {};
  fake->unit.state = 255;
  fake->unit.errorCode = 12;
  EXPECT_TRUE(link->GetAccelUnitStatus(1, text));
  EXPECT_EQ(text, "");
  fake->unit.errorCode = 3;
  EXPECT_TRUE(link->GetAccelUnitStatus(1, text));
  EXPECT_EQ(text, "ACCEL ERROR CODE 3");
  fake->unit = {};
  fake->unit.state = 1;
  fake->unit.calibrationFailed = 1;
  EXPECT_FALSE(link->GetAccelUnitStatus(0, text));
  EXPECT_EQ(text, "READYILS_CALIB_FAILED");
  EXPECT_TRUE(link->GetAccelUnitStatus(1, text));
  EXPECT_EQ(text, "READY");

  std::string state, lamp, value;
  fake->accel.state = 1;
  fake->accel.busy = 1;
  fake->accel.flags = 0x08;
  fake->accel.reading = 23;
  EXPECT_TRUE(link->GetAccelStatusText(state, lamp, value));
  EXPECT_EQ(state, "BUSY");
  EXPECT_EQ(lamp, "OFF");
  EXPECT_EQ(value, "23.0");

  fake->unit = {};  // stays "STOP"
  fake->calls.clear();
  EXPECT_FALSE(link->WaitForAccelStatus(4, "READY", ""));
  EXPECT_EQ(fake->Count("Accel_Remote_GetStatus"), 5);  // count + 1 reads
  EXPECT_EQ(Messages().back(), "Status : STOP\nPlease check the printer");
  EXPECT_TRUE(link->WaitForAccelStatus(0, "READY", "STOP"));
}

TEST_F(LinkTest, AddressFFFFReachesNeitherTheLibraryNorTheJob) {
  std::uint8_t byte = 0;
  std::uint8_t buffer[4];
  fake->calls.clear();
  EXPECT_FALSE(link->ReadCtrlNvram(0xFFFF, byte));
  EXPECT_FALSE(link->ReadCtrlNvramMulti448(0xFFFF, 4, buffer));
  EXPECT_FALSE(link->WriteCtrlNvram(0xFFFF, 1));
  EXPECT_FALSE(link->ReadPrdNvramMulti(0xFFFF, 4, buffer));
  EXPECT_EQ(link->LastError(), -940);
  link->SetLastError(5);
  link->WritePrdNvram(0xFFFF, 1);
  link->WritePrdNvramMulti(0xFFFF, 2, buffer);
  EXPECT_EQ(link->LastError(), 5);  // the Prd writes leave it alone
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_EQ(link->JobLength(), 0u);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Ctrl READ NVRAM ADDRESS ERROR.\n0xFFFF",
                                                  "Ctrl READ MULTI NVRAM ADDRESS ERROR.\n0xFFFF",
                                                  "Ctrl WRITE NVRAM ADDRESS ERROR.\n0xFFFF",
                                                  "Prd READ MULTI NVRAM ADDRESS ERROR.\n0xFFFF",
                                                  "Prd WRITE NVRAM ADDRESS ERROR.\n0xFFFF",
                                                  "Prd WRITE MULTI NVRAM ADDRESS ERROR.\n0xFFFF"}));
}

TEST_F(LinkTest, ProductionWritesAreQueuedByteForByte) {
  const auto& a = link->AccessCode();
  const auto& k = link->WriteKey();
  ASSERT_TRUE(link->WritePrdNvram(0x1234, 0x56));
  Bytes single = {0x1B, 0x7C, 0x01, 0x10, 0x00, a[0], a[1], 0x02, 0xFD, 0x01, 0x34, 0x12, 0x56};
  single.insert(single.end(), k.begin(), k.end());
  EXPECT_EQ(Job(), single);
  link->ClearJob();
  const std::uint8_t data[3] = {0xAA, 0xBB, 0xCC};
  ASSERT_TRUE(link->WritePrdNvramMulti(66, 3, data));
  Bytes multi = {0x1B, 0x7C, 0x01, 0x13, 0x00, a[0], a[1], 0x07,
                 0xF8, 0x83, 0x42, 0x00, 0x03, 0xAA, 0xBB, 0xCC};
  multi.insert(multi.end(), k.begin(), k.end());
  EXPECT_EQ(Job(), multi);
  link->ClearJob();
  const Bytes most(239, 0x5A);
  ASSERT_TRUE(link->WritePrdNvramMulti(66, 239, most.data()));  // the most a command carries
  EXPECT_EQ(Job().size(), 5u + 5u + 3u + 239u + 8u);
  EXPECT_EQ(Job()[3], 239 + 16);  // the length byte: access code, triple, address, count, key
  EXPECT_EQ(Job()[12], 239);
  link->ClearJob();
  EXPECT_FALSE(link->WritePrdNvramMulti(66, 240, most.data()));
  EXPECT_EQ(link->LastError(), -939);
  EXPECT_EQ(link->JobLength(), 0u);
  EXPECT_EQ(fake->Count("SendEx"), 0);  // nothing sent
}

TEST_F(LinkTest, ProductionTextsMustBeLettersAndDigits) {
  std::string text = "kept";
  std::memcpy(&fake->nvram[66], "AB12CD34EF", 10);
  EXPECT_TRUE(link->ReadPrdString(66, 10, text));
  EXPECT_EQ(text, "AB12CD34EF");
  text = "kept";
  fake->nvram[70] = ' ';
  EXPECT_FALSE(link->ReadPrdString(66, 10, text));
  EXPECT_EQ(link->LastError(), -993);
  EXPECT_EQ(text, "kept");
  fake->nvram[70] = 0;
  EXPECT_FALSE(link->ReadPrdString(66, 10, text));
}

TEST_F(LinkTest, EraseListPollsSixteenSecondsAtMost) {
  fake->eraseReplies = {{0, 1}};  // stays "running"
  EXPECT_FALSE(link->EraseList(1));
  EXPECT_EQ(link->LastError(), -946);
  EXPECT_EQ(clock.SleepCount(), 16);
  EXPECT_EQ(fake->Count("Ctl_Erase_Reply"), 2 + 15);
  EXPECT_EQ(fake->calls.front(), "Ctl_List_Erase 163");  // kind 1 is list 0xA3

  fake->calls.clear();
  fake->eraseReplies = {{0, 1}, {0, 1}, {0, 2}};
  EXPECT_FALSE(link->EraseList(2));
  EXPECT_EQ(link->LastError(), -945);
  EXPECT_EQ(fake->calls.front(), "Ctl_List_Erase 214");

  fake->eraseReplies = {{0, 1}, {0, 0}};
  EXPECT_TRUE(link->EraseList(2));
  fake->eraseReplies = {{-9, 0}};
  EXPECT_FALSE(link->EraseList(7));
  EXPECT_EQ(link->LastError(), -9);
}

TEST_F(LinkTest, HeadIdsTravelAsTheCodecSays) {
  std::string text;
  link->SetLastError(1);
  EXPECT_FALSE(link->ReadHeadId(text, 2));
  EXPECT_EQ(link->LastError(), -940);
  EXPECT_TRUE(ui.Calls().empty());
  EXPECT_FALSE(link->ReadHeadId(text, 3));
  EXPECT_EQ(Messages().back(), "Prd READ MULTI NVRAM ADDRESS ERROR.\n0xFFFF");

  fake->nvram[driver::kHeadIdAddress] = 40;  // not a symbol
  EXPECT_FALSE(link->ReadHeadId(text, 1));
  EXPECT_EQ(Messages().back(), "Head 1 Hdidapi Error = -1");
  EXPECT_EQ(link->LastError(), -1);

  int symbols[45];
  for (int i = 0; i < 44; ++i) symbols[i] = i % 30;
  symbols[44] = driver::CWinHdidapi::CheckSymbol(symbols);
  for (int i = 0; i < 45; ++i)
    fake->nvram[driver::kHeadIdAddress + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(symbols[i]);
  ASSERT_TRUE(link->ReadHeadId(text, 1));
  ASSERT_EQ(text.size(), 45u);

  ASSERT_TRUE(link->WriteHeadId(1, text));
  const Bytes job = Job();
  ASSERT_EQ(job.size(), 57u);
  EXPECT_EQ(Bytes(job.begin(), job.begin() + 12),
            (Bytes{0x1B, 0x7D, 0x01, 0x34, 0x00, link->AccessCode()[0], link->AccessCode()[1], 0x22,
                   0xDD, 0x11, 0x00, 0x01}));
  EXPECT_EQ(std::string(job.begin() + 12, job.end()), text);
  std::string typo = text;
  typo[5] = typo[5] == 'A' ? 'C' : 'A';
  EXPECT_FALSE(link->WriteHeadId(1, typo));
  EXPECT_EQ(Messages().back(), "ConvString2Data");
  EXPECT_EQ(link->JobLength(), 57u);  // nothing more queued
}

TEST_F(LinkTest, ModelsChooseAccessCodesKeysAndTestSettings) {
  EXPECT_TRUE(link->SetModel("PW"));
  const auto pwAccess = link->AccessCode();
  const auto pwKey = link->WriteKey();
  EXPECT_TRUE(link->SetModel("PM"));
  EXPECT_EQ(link->AccessCode(), pwAccess);
  EXPECT_EQ(link->WriteKey(), pwKey);
  EXPECT_TRUE(link->SetModel("FM"));
  const auto fmAccess = link->AccessCode();
  EXPECT_TRUE(link->SetModel("FW"));
  EXPECT_EQ(link->AccessCode(), fmAccess);
  EXPECT_EQ(link->TestSettingsSet(), "CE20");
  EXPECT_TRUE(link->SetModel("BS"));
  const auto bsKey = link->WriteKey();
  EXPECT_TRUE(link->SetModel("AC"));
  EXPECT_EQ(link->WriteKey(), bsKey);
  EXPECT_FALSE(link->SetModel("bs"));
  EXPECT_EQ(Messages().back(), "Unknown Model");
  EXPECT_EQ(link->ModelCode(), "AC");  // nothing changed
}

TEST_F(LinkTest, FlushingPassesTheSameBufferFromTheOffsetReached) {
  EXPECT_TRUE(link->FlushJob());  // empty: no call
  EXPECT_EQ(fake->Count("SendEx"), 0);
  const Bytes data(5000, 0x42);
  ASSERT_TRUE(link->AppendJob(data.data(), data.size()));
  Bytes tapped;
  link->SetSentJobTap([&tapped](const std::uint8_t* bytes, std::size_t length) {
    tapped.insert(tapped.end(), bytes, bytes + length);
  });
  fake->sendEx = {{-16, 1000}, {-16, 0}, {-16, 3000}};
  fake->status = {{0, 2}, {0, 3}, {0, 4}};
  ASSERT_TRUE(link->FlushJob());
  EXPECT_EQ(fake->sendExOffsets, (std::vector<unsigned long>{0, 1000, 1000, 4000}));
  for (const auto* pointer : fake->sendExData) EXPECT_EQ(pointer, link->JobData());
  EXPECT_EQ(link->JobLength(), 0u);
  EXPECT_EQ(link->BytesCopied(), 5000u);
  EXPECT_EQ(tapped, data);  // the whole job once, after it was taken
}

TEST_F(LinkTest, ThreeFailedStatusReadsEndAFlushEvenAcrossBusySpells) {
  const Bytes data(10, 1);
  link->AppendJob(data.data(), data.size());
  fake->sendEx = {{-16, 2}, {-16, 2}};
  fake->status = {{-8, 0}, {0, 4}, {-8, 0}, {-9, 0}};
  link->SetSentJobTap([](const std::uint8_t*, std::size_t) { ADD_FAILURE() << "not sent"; });
  EXPECT_FALSE(link->FlushJob());
  EXPECT_EQ(link->LastError(), -9);
  EXPECT_EQ(link->JobLength(), 10u);  // a failed flush keeps the job
}

TEST_F(LinkTest, TransientStatesArePolledAgainWithoutSleeping) {
  const Bytes data(10, 1);
  link->AppendJob(data.data(), data.size());
  fake->sendEx = {{-16, 0}};
  fake->status = {{0, 7}, {0, 11}, {0, 12}, {0, 14}, {0, 15}, {0, 4}};
  EXPECT_TRUE(link->FlushJob());
  EXPECT_EQ(clock.SleepCount(), 0);
  EXPECT_EQ(fake->Count("Ctl_GetStatus"), 6);
}

TEST_F(LinkTest, StatusTypesThatStopAFlush) {
  const Bytes data(10, 1);
  for (int type : {1, 5, 6, 8, 9, 10, 13, 16}) {
    link->ClearJob();
    link->AppendJob(data.data(), data.size());
    fake->sendEx = {{-16, 0}};
    fake->status = {{0, type}};
    EXPECT_FALSE(link->FlushJob()) << type;
    EXPECT_EQ(link->LastError(), -997) << type;
  }
  // Type 0 sends on when the printer's flag byte says so.
  link->ClearJob();
  link->AppendJob(data.data(), data.size());
  fake->nvram[0x845F] = 1;
  fake->sendEx = {{-16, 0}};
  fake->status = {{0, 0}};
  EXPECT_TRUE(link->FlushJob());
  EXPECT_EQ(link->LastError(), 0);
  fake->nvram[0x845F] = 0;
  link->AppendJob(data.data(), data.size());
  fake->sendEx = {{-16, 0}};
  fake->status = {{0, 0}};
  EXPECT_FALSE(link->FlushJob());
  EXPECT_EQ(link->LastError(), -997);
}

TEST_F(LinkTest, APrinterThatNeverTakesTheJobIsGivenUpOn) {
  const Bytes data(10, 1);
  link->AppendJob(data.data(), data.size());
  for (int i = 0; i < 2000; ++i) fake->sendEx.push_back({-16, 0});
  EXPECT_FALSE(link->FlushJob());
  EXPECT_EQ(link->LastError(), -995);
  EXPECT_LE(clock.SleptMs(), 900'000);
  fake->sendEx.clear();
  fake->sendEx = {{-8, 0}};  // gone in the middle
  EXPECT_FALSE(link->FlushJob());
  EXPECT_EQ(link->LastError(), -8);
}

TEST_F(LinkTest, ALongBusySpellThatMakesProgressNeitherSleepsNorGivesUp) {
  const Bytes data(1000 * 10, 1);
  link->AppendJob(data.data(), data.size());
  // A thousand busy answers, each after ten more bytes: more rounds than the stall limit.
  for (int i = 0; i < 999; ++i) fake->sendEx.push_back({-16, 10});
  for (int i = 0; i < 999; ++i) fake->status.push_back({0, 4});
  ASSERT_TRUE(link->FlushJob());
  EXPECT_EQ(clock.SleepCount(), 0);
  EXPECT_EQ(fake->sendExOffsets.back(), 9990u);
}

TEST_F(LinkTest, TheJobBufferRefusesToOverflowAndKeepsWhatItHas) {
  const Bytes big(printer::CPrinterLink::kJobBufferSize - 10, 0x11);
  ASSERT_TRUE(link->AppendJob(big.data(), big.size()));
  const Bytes more(11, 0x22);
  EXPECT_FALSE(link->AppendJob(more.data(), more.size()));
  EXPECT_EQ(link->LastError(), -930);
  EXPECT_EQ(link->JobLength(), big.size());
  EXPECT_TRUE(link->AppendJob(more.data(), 10));
  EXPECT_EQ(link->JobLength(), printer::CPrinterLink::kJobBufferSize);
}

class SendFileTest : public LinkTest {
protected:
  std::string File(std::size_t bytes) { return folder.Write("job.prn", std::string(bytes, 'x')); }
  testing_support::TempFolder folder;
};

TEST_F(SendFileTest, AFileOfWholeChunksEndsWithAnEmptyChunk) {
  ASSERT_TRUE(link->SendFile(File(2048), 1024));
  EXPECT_EQ(fake->sendLengths, (std::vector<std::size_t>{1024, 1024, 0}));
  fake->sendLengths.clear();
  ASSERT_TRUE(link->SendFile(File(1500), 1024));
  EXPECT_EQ(fake->sendLengths, (std::vector<std::size_t>{1024, 476}));
}

TEST_F(SendFileTest, AMissingFileIsReported) {
  EXPECT_FALSE(link->SendFile(folder / "none.prn", 1024));
  ASSERT_EQ(ui.Calls(ui::UiCallKind::MessageDialog).size(), 1u);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageDialog)[0].text, "FILE OPEN ERROR");
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageDialog)[0].style, 2u);
  EXPECT_EQ(link->LastError(), -931);
}

TEST_F(SendFileTest, PaperOutAsksTheUserAndResumesWhenTold) {
  settings.nNewERRControl = 1;
  fake->send = {-16};
  fake->status = {{0, 0, 6}, {0, 4}};
  ui.QueueAnswer(ui::kAnswerOk);
  ASSERT_TRUE(link->SendFile(File(100), 1024));
  const auto dialogs = ui.Calls(ui::UiCallKind::MessageDialog);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].text, "Out of paper\n\nOK:load paper\nCANCEL:give up");
  EXPECT_EQ(dialogs[0].style, 3u);
  EXPECT_EQ(fake->Count("Ctl_ResumePaperOut"), 1);
  EXPECT_EQ(fake->sendLengths, (std::vector<std::size_t>{100, 100}));  // the same chunk again
  EXPECT_EQ(clock.SleepCount(), 1);

  fake->send = {-16};
  fake->status = {{0, 0, 6}};
  ui.QueueAnswer(ui::kAnswerCancel);
  link->SetLastError(7);
  EXPECT_FALSE(link->SendFile(File(100), 1024));
  EXPECT_EQ(link->LastError(), 7);
}

TEST_F(SendFileTest, AJamIsShownAndResumedOnlyWhenTheSettingSaysSo) {
  fake->send = {-16};
  fake->status = {{0, 0, 4}, {0, 3}};
  ASSERT_TRUE(link->SendFile(File(10), 1024));
  EXPECT_EQ(fake->Count("Ctl_ResumePaperJam"), 0);
  settings.nNewERRControl = 1;
  fake->resumeResult = -1;
  fake->send = {-16};
  fake->status = {{0, 0, 4}, {0, 4}};
  ASSERT_TRUE(link->SendFile(File(10), 1024));
  EXPECT_EQ(fake->Count("Ctl_ResumePaperJam"), 1);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageDialog).back().text, "Not Resum PaperJam");
  EXPECT_EQ(link->LastError(), -1);
}

TEST_F(SendFileTest, BusyAndOddStatesResendTheChunkNeverDropIt) {
  fake->send = {-16, -16, -16};
  fake->status = {{0, 2}, {0, 1}, {0, 11}, {0, 10}};
  std::vector<std::uint64_t> progress;
  ASSERT_TRUE(
      link->SendFile(File(2058), 1024, [&](std::uint64_t sent) { progress.push_back(sent); }));
  // The first chunk went four times and counts once.
  EXPECT_EQ(fake->sendLengths, (std::vector<std::size_t>{1024, 1024, 1024, 1024, 1024, 10}));
  EXPECT_EQ(progress, (std::vector<std::uint64_t>{1024, 2048, 2058}));
  const auto dialogs = ui.Calls(ui::UiCallKind::MessageDialog);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0].text, "Busy\n\nRETRY SEND");
  EXPECT_EQ(dialogs[1].text, settings.strStatus[1] + "\n\nRETRY GET STATUS");
}

TEST_F(SendFileTest, APrinterThatStoppedSaysWhetherItWantsTheChunkAgain) {
  fake->nvram[0x845F] = 1;  // wanted again
  fake->send = {-16};
  fake->status = {{0, 0, 7}};
  ASSERT_TRUE(link->SendFile(File(1500), 1024));
  EXPECT_EQ(fake->sendLengths, (std::vector<std::size_t>{1024, 1024, 476}));
  fake->sendLengths.clear();
  fake->nvram[0x845F] = 0;  // taken after all: on with the next chunk
  fake->send = {-16};
  fake->status = {{0, 0, 7}};
  ASSERT_TRUE(link->SendFile(File(1500), 1024));
  EXPECT_EQ(fake->sendLengths, (std::vector<std::size_t>{1024, 476}));
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::MessageDialog).empty());
}

TEST_F(SendFileTest, UnknownErrorsAndFailedReadsEndTheSend) {
  fake->send = {-16};
  fake->status = {{0, 0, 3}};
  EXPECT_FALSE(link->SendFile(File(10), 1024));
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageDialog).back().text, "UNKNOWN ERROR\n\ncall service");
  fake->send = {-16};
  fake->status = {{-8, 0}};
  EXPECT_FALSE(link->SendFile(File(10), 1024));
  EXPECT_EQ(link->LastError(), -8);
  fake->send = {-3};
  EXPECT_FALSE(link->SendFile(File(10), 1024));
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageDialog).back().text, "SEND FILE ERROR");
  EXPECT_EQ(link->LastError(), -3);
}

TEST_F(SendFileTest, WritingToAPortThatIsNotOpenFails) {
  EXPECT_FALSE(link->WritePortFile(0, File(10), 1024));
  EXPECT_EQ(link->LastError(), -996);
  EXPECT_EQ(link->PortName(), "USB001");
  EXPECT_EQ(Messages().back(), "Write port error.");
}

}  // namespace
