// The firmware update and print-file dialogs with the scripted host and a virtual printer: what
// goes to the printer, what the printer makes of it, and what the technician is told.

#include <gtest/gtest.h>

#include <algorithm>

#include "operations/file_transfer.h"
#include "support/service_fixture.h"
#include "ui/bin_print_dialog.h"
#include "ui/firmware_update_dialog.h"
#include "vprinter/firmware_file.h"

namespace {

using namespace testing_support;

class FileDialogsTest : public ServiceFixture {
protected:
  void SetUp() override { Attach("LW"); }

  // A firmware file for the model, written into the test's folder.
  std::string Firmware(const std::string& name, const std::string& model,
                       const std::string& version,
                       const std::function<void(vprinter::Bytes&)>& damage = {}) {
    vprinter::Bytes bytes = vprinter::BuildFirmwareFile({model, version, vprinter::Bytes(5000, 7)});
    if (damage) damage(bytes);
    return folder.Write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::unique_ptr<ui::CSvc_FW_Update> OpenFirmware() {
    auto dialog =
        std::make_unique<ui::CSvc_FW_Update>(ui, Environment(), "Firmware Update", &resultFlag);
    EXPECT_TRUE(dialog->Create());
    return dialog;
  }
  // Presses Update (or Print) and lets the work on its thread end, and the dialog hear of it.
  void Press(ui::CSvc_FW_Update& dialog) {
    dialog.Click(ui::IDOK);
    dialog.WaitForUpdate();
    ui.RunPosted();
  }
  void Press(ui::CSvcDlgBinPrint& dialog) {
    dialog.Click(ui::IDOK);
    dialog.WaitForPrint();
    ui.RunPosted();
  }
  // Chooses the file with Reference and presses Update.
  void Update(ui::CSvc_FW_Update& dialog, const std::string& file) {
    ui.QueueFile(file);
    dialog.Click(ui::kFirmwareReferenceId);
    Mark();
    Press(dialog);
  }
  std::string Version() { return Printer()->Snapshot().firmware; }
  std::vector<std::string> Dialogs() {
    std::vector<std::string> texts;
    for (const ui::UiCall& call : ui.Calls(ui::UiCallKind::MessageDialog))
      texts.push_back(call.text);
    return texts;
  }

  int resultFlag = 0;
};

TEST_F(FileDialogsTest, FirmwareDialogTextsAndAnEmptyPathSendsNothing) {
  auto dialog = OpenFirmware();
  EXPECT_EQ(dialog->Caption(), "Firmware Update");
  EXPECT_EQ(dialog->GetDlgItemText(ui::kFirmwareLabelId),
            "Firmware file (.UPG) to send to the printer:");
  EXPECT_EQ(dialog->GetDlgItemText(ui::kFirmwareReferenceId), "Reference");
  EXPECT_EQ(dialog->GetDlgItemText(ui::IDOK), "Update");
  EXPECT_EQ(dialog->GetDlgItemText(ui::IDCANCEL), "EXIT");
  const std::uint64_t before = Printer()->BytesReceived();
  Press(*dialog);
  EXPECT_EQ(Shown(), std::vector{Message(99000504)});
  EXPECT_EQ(Printer()->BytesReceived(), before);
  Mark();
  ui.QueueFile(folder / "gone.UPG");
  dialog->Click(ui::kFirmwareReferenceId);
  EXPECT_EQ(Shown(), std::vector{Message(90000007)});
  EXPECT_EQ(dialog->Path(), "");
  const auto open = ui.Calls(ui::UiCallKind::OpenFile);
  EXPECT_EQ(open.back().text, "*.UPG | All Files (*.UPG) | *.UPG");
  EXPECT_EQ(open.back().caption, folder / "Firmware");  // opens where the firmware files are
}

TEST_F(FileDialogsTest, AnInstalledFirmwareIsWhatThePrinterReportsNext) {
  auto dialog = OpenFirmware();
  // While the printer installs, the buttons rest and closing the window does nothing.
  bool closedWhileWorking = false;
  bool buttonsRested = true;
  clock.OnSleep([&] {
    buttonsRested = buttonsRested && !dialog->Item(ui::IDCANCEL).enabled;
    dialog->CloseBox();
    closedWhileWorking = closedWhileWorking || dialog->IsEnded();
  });
  Update(*dialog, Firmware("new.UPG", "LW", "LW08A0"));
  clock.OnSleep({});
  EXPECT_FALSE(closedWhileWorking);
  EXPECT_TRUE(buttonsRested);
  EXPECT_GE(clock.SleptMs(), 30'000);  // the printer's install time, waited on the clock
  EXPECT_EQ(Shown(), std::vector{Message(19005001)});
  EXPECT_EQ(resultFlag, 1);
  EXPECT_EQ(Version(), "LW08A0");
  EXPECT_FALSE(dialog->IsEnded());  // stays open for another try
  EXPECT_TRUE(dialog->Item(ui::IDOK).enabled);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::NormalCursor).size(), 1u);
}

// A printer restarts once it has installed new firmware: the update waits for it to come back,
// within its bound, and judges by the version it then runs.
TEST_F(FileDialogsTest, TheUpdateWaitsForThePrinterToComeBackFromItsRestart) {
  auto dialog = OpenFirmware();
  Update(*dialog, Firmware("new.UPG", "LW", "LW08A0"));
  EXPECT_EQ(Shown(), std::vector{Message(19005001)});
  const auto log = Printer()->Log();
  EXPECT_NE(std::find(log.begin(), log.end(), "back after the restart, firmware LW08A0"),
            log.end());
  EXPECT_GE(clock.SleptMs(), 35'000);  // installed, then away for five seconds

  // The same version again: it comes back on the version it ran, which is no update.
  Update(*dialog, Firmware("same.UPG", "LW", "LW08A0"));
  EXPECT_EQ(Shown(), std::vector{Message(99000503)});

  // A printer that never comes back is given up after the bound.
  const std::int64_t before = clock.SleptMs();
  clock.OnSleep([this] {
    const auto lines = Printer()->Log();
    if (!lines.empty() && lines.back().find("restarts") != std::string::npos)
      SetFaults([](vprinter::Faults& f) { f.disconnected = true; });
  });
  Update(*dialog, Firmware("gone.UPG", "LW", "LW09A0"));
  clock.OnSleep({});
  EXPECT_EQ(Shown(), std::vector{Message(99000503)});
  EXPECT_EQ(resultFlag, 1);  // from the first update only
  EXPECT_LE(clock.SleptMs() - before,
            1000 * (operations::kFirmwareConfirmPolls + operations::kFirmwareRestartPolls));
  EXPECT_TRUE(Printer()->Snapshot().faults.disconnected);
}

// What the progress dialog shows, in order: each phase with its bar's maximum, the positions
// set, its closing, and the messages shown after it.
std::vector<std::string> ProgressStory(const std::vector<ui::UiCall>& calls) {
  std::vector<std::string> story;
  for (const ui::UiCall& call : calls) {
    switch (call.kind) {
      case ui::UiCallKind::Progress:
        story.push_back(call.text + " /" + std::to_string(call.answer));
        break;
      case ui::UiCallKind::ProgressPosition: story.push_back(std::to_string(call.answer)); break;
      case ui::UiCallKind::ProgressClosed: story.push_back("closed"); break;
      case ui::UiCallKind::MessageBox: story.push_back("message"); break;
      default: break;
    }
  }
  return story;
}

// The update shows the bytes sent of the whole file, then the printer's install and restart, and
// the dialog is gone before the result is told; so does the port writer's way.
TEST_F(FileDialogsTest, TheUpdateShowsItsProgressThroughEveryPhase) {
  auto dialog = OpenFirmware();
  Update(*dialog, Firmware("new.UPG", "LW", "LW08A0"));  // five chunks, the last one short
  EXPECT_EQ(ProgressStory(ui.Calls()),
            (std::vector<std::string>{"Sending new.UPG to the printer /100", "0", "20", "40", "61",
                                      "81", "100", "The printer installs the firmware /0",
                                      "The printer restarts with the new firmware /0", "closed",
                                      "message"}));
  SetFaults([](vprinter::Faults& f) { f.bootMode = true; });
  const std::size_t before = ui.Calls().size();
  Update(*dialog, Firmware("boot.UPG", "LW", "LW09A0"));
  const std::vector<ui::UiCall> calls = ui.Calls();
  const std::vector<std::string> story =
      ProgressStory({calls.begin() + static_cast<long>(before), calls.end()});
  ASSERT_GE(story.size(), 5u);
  EXPECT_EQ(story.front(), "Sending boot.UPG to the printer /100");
  EXPECT_EQ(std::vector<std::string>(story.end() - 4, story.end()),
            (std::vector<std::string>{"The printer installs the firmware /0",
                                      "The printer restarts with the new firmware /0", "closed",
                                      "message"}));
}

// A file of many chunks moves the bar a step a percent, not a window update a chunk.
TEST_F(FileDialogsTest, TheBarMovesAPercentAtATime) {
  ui::CSvcDlgBinPrint dialog(ui, Environment());
  ASSERT_TRUE(dialog.Create());
  std::string resets;
  for (int i = 0; i < 150 * 1024; ++i) resets += "\x1B@";  // 300 chunks
  ui.QueueFile(folder.Write("long.PRN", resets));
  dialog.Click(ui::kBinPrintReferenceId);
  Press(dialog);
  std::vector<int> positions;
  for (const ui::UiCall& call : ui.Calls(ui::UiCallKind::ProgressPosition))
    positions.push_back(call.answer);
  ASSERT_EQ(positions.size(), 101u);
  for (int percent = 0; percent <= 100; ++percent) EXPECT_EQ(positions[percent], percent);
}

TEST_F(FileDialogsTest, DamagedFirmwareIsRefusedAndTheOldOneRunsOn) {
  const std::pair<const char*, std::function<void(vprinter::Bytes&)>> damaged[] = {
      {"checksum", [](vprinter::Bytes& b) { b[100] ^= 0xFF; }},
      {"truncated", [](vprinter::Bytes& b) { b.resize(b.size() - 700); }},
      {"header", [](vprinter::Bytes& b) { b[11] = 'Z'; }},  // version of no model
  };
  auto dialog = OpenFirmware();
  for (const auto& [name, damage] : damaged) {
    SCOPED_TRACE(name);
    Update(*dialog, Firmware(std::string(name) + ".UPG", "LW", "LW09A0", damage));
    // The file sender tells of the printer's error first where it met it.
    const auto shown = Shown();
    EXPECT_EQ(shown.back(), Message(99000503));
    EXPECT_EQ(std::count(shown.begin(), shown.end(), Message(19005001)), 0);
    EXPECT_EQ(Version(), "LW06B1");
  }
  Update(*dialog, Firmware("other.UPG", "MW", "MW09A0"));  // another model's
  EXPECT_EQ(Shown().back(), Message(99000503));
  EXPECT_EQ(resultFlag, 0);
  // A good file afterwards installs.
  Update(*dialog, Firmware("good.UPG", "LW", "LW09A0"));
  EXPECT_EQ(Shown(), std::vector{Message(19005001)});
  EXPECT_EQ(Version(), "LW09A0");
}

TEST_F(FileDialogsTest, APrinterWaitingForFirmwareTakesItThroughThePortWriter) {
  SetFaults([](vprinter::Faults& f) { f.bootMode = true; });
  auto dialog = OpenFirmware();
  Update(*dialog, Firmware("bad.UPG", "LW", "LW08A0", [](vprinter::Bytes& b) { b[200] ^= 1; }));
  EXPECT_EQ(Shown().back(), Message(99000503));
  EXPECT_TRUE(Printer()->Snapshot().faults.bootMode);
  Update(*dialog, Firmware("new.UPG", "LW", "LW08A0"));
  EXPECT_EQ(Shown(), std::vector{Message(19005001)});
  EXPECT_EQ(Version(), "LW08A0");
  EXPECT_FALSE(Printer()->Snapshot().faults.bootMode);
}

TEST_F(FileDialogsTest, WithoutAPrinterTheFirmwareDialogSaysSo) {
  SetFaults([](vprinter::Faults& f) { f.disconnected = true; });
  auto dialog = OpenFirmware();
  Update(*dialog, Firmware("new.UPG", "LW", "LW08A0"));
  EXPECT_EQ(Shown(), std::vector{Message(90000001)});
}

TEST_F(FileDialogsTest, PrintFileSendsTheFileUnchangedAndStaysOpen) {
  ui::CSvcDlgBinPrint dialog(ui, Environment());
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.Caption(), "Print File");
  EXPECT_EQ(dialog.GetDlgItemText(ui::IDOK), "Print");
  // One page: two rows of three bytes in colour 0x80, then the end of the page.
  const std::string job = std::string("\x1B\x69\x80\x01\x02\x03\x00\x02\x00\xFE\xC0\xFE\x03", 13) +
                          std::string("\x0D\x0A\x0C", 3);
  const std::string file = folder.Write("page.PRN", job);
  ui.QueueFile(file);
  dialog.Click(ui::kBinPrintReferenceId);
  EXPECT_EQ(dialog.GetDlgItemText(ui::kBinPrintPathId), file);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::OpenFile).back().caption, folder / "Prnfile");
  const int pages = Printer()->PagesPrinted();
  Press(dialog);
  EXPECT_EQ(
      ProgressStory(ui.Calls()),
      (std::vector<std::string>{"Sending page.PRN to the printer /100", "0", "100", "closed"}));
  Press(dialog);
  EXPECT_EQ(Printer()->PagesPrinted(), pages + 2);
  EXPECT_FALSE(dialog.IsEnded());
  EXPECT_TRUE(Dialogs().empty());

  // Out of paper, even the reset does not go out.
  SetFaults([](vprinter::Faults& f) { f.paperOut = true; });
  Press(dialog);
  EXPECT_EQ(Dialogs().back(), operations::kCommunicationError);
  EXPECT_EQ(Printer()->PagesPrinted(), pages + 2);
}

TEST_F(FileDialogsTest, PaperOutDuringASendAsksWhetherToGoOn) {
  auto dialog = OpenFirmware();
  const std::string file = Firmware("new.UPG", "LW", "LW08A0");
  SetFaults([](vprinter::Faults& f) { f.paperOut = true; });
  ui.QueueAnswer(ui::kAnswerCancel);  // given up: the file is closed, nothing installed
  Update(*dialog, file);
  EXPECT_EQ(ui.Calls(ui::UiCallKind::MessageDialog).back().style, 3u);
  EXPECT_EQ(Shown().back(), Message(99000503));
  EXPECT_EQ(Version(), "LW06B1");
  // Answered OK once paper is loaded, the send goes on and the firmware installs.
  clock.OnSleep([this] { SetFaults([](vprinter::Faults& f) { f.paperOut = false; }); });
  ui.QueueAnswer(ui::kAnswerOk);
  Update(*dialog, file);
  clock.OnSleep({});
  EXPECT_EQ(Shown().back(), Message(19005001));
  EXPECT_EQ(Version(), "LW08A0");
}

// A file that cannot go to the printer whole (none chosen, empty, a folder, gone) is refused
// before the printer is opened: nothing is sent and nothing is reported sent.
TEST_F(FileDialogsTest, FilesThatCannotBeSentAreRefusedBeforeThePrinterIsOpened) {
  const std::string empty = folder.Write("empty.UPG", "");
  ui::CSvcDlgBinPrint print(ui, Environment());
  ASSERT_TRUE(print.Create());
  auto firmware = OpenFirmware();
  const std::uint64_t before = Printer()->BytesReceived();
  for (const std::string& path : {empty, folder.Path(), folder / "gone.UPG"}) {
    SCOPED_TRACE(path);
    Mark();
    ui.QueueFile(path);  // Reference refuses it ...
    firmware->Click(ui::kFirmwareReferenceId);
    EXPECT_EQ(Shown(), std::vector{Message(90000007)});
    firmware->EditText(ui::kFirmwarePathId, path);  // ... and Update when it is typed in
    Mark();
    Press(*firmware);
    EXPECT_EQ(Shown(), std::vector{Message(90000007)});
    Mark();
    ui.QueueFile(path);
    print.Click(ui::kBinPrintReferenceId);
    EXPECT_EQ(print.Path(), "");
    EXPECT_EQ(Shown(), std::vector{Dialog(operations::kFileNotFound)});
  }
  // Print without a file, and with one emptied or removed after it was chosen.
  const std::string job = folder.Write("job.PRN", "\x1B@");
  Mark();
  Press(print);
  ui.QueueFile(job);
  print.Click(ui::kBinPrintReferenceId);
  ASSERT_EQ(print.Path(), job);
  folder.Write("job.PRN", "");
  Press(print);
  std::filesystem::remove(job);
  Press(print);
  EXPECT_EQ(Shown(), std::vector<ShownMessage>(3, Dialog(operations::kFileNotFound)));
  EXPECT_EQ(Printer()->BytesReceived(), before);
  EXPECT_EQ(Version(), "LW06B1");
  EXPECT_EQ(resultFlag, 0);
}

}  // namespace
