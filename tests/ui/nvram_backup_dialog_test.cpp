// The NVRAM backup utility as the technician uses it: texts from the menu files, the backup into
// a file, and the information tool's command line.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "support/service_fixture.h"
#include "ui/nvram_backup_dialog.h"

namespace {

using namespace testing_support;

class NvramBackupDialogTest : public ServiceFixture {
protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    clock.SetUnixSeconds(1767691805);  // 2026-01-06 09:30:05
    UseScratchServiceFolder();
    // The shipped place of the tool: drive c: and "/../", the program folder, also while the
    // drive folder does not exist yet.
    tool_ = folder / "grelt02-nvram-info";
  }
  void InstallTool() { std::ofstream(tool_) << "#!/bin/sh\n"; }
  std::unique_ptr<ui::CSvcDlgNvramBackup> Open() {
    auto dialog = std::make_unique<ui::CSvcDlgNvramBackup>(ui, Environment());
    EXPECT_TRUE(dialog->Create());
    return dialog;
  }
  std::vector<std::string> Started() {
    std::vector<std::string> lines;
    for (const ui::UiCall& call : ui.Calls(ui::UiCallKind::StartProcess)) lines.push_back(call.text);
    return lines;
  }

  std::string tool_;
};

TEST_F(NvramBackupDialogTest, TextsComeFromTheMenuFilesAndTheToolButtonOnlyWhenTheToolIsThere) {
  auto dialog = Open();
  EXPECT_EQ(dialog->Caption(), "Service NVRAM Backup Utility");
  EXPECT_EQ(dialog->GetDlgItemText(ui::kNvramBackupButtonId), "Backup");
  EXPECT_EQ(dialog->GetDlgItemText(ui::IDCANCEL), "Close");
  EXPECT_EQ(dialog->ToolCommand(), tool_);
  EXPECT_FALSE(dialog->Item(ui::kNvramBackupToolButtonId).visible);
  InstallTool();
  dialog = Open();
  EXPECT_TRUE(dialog->Item(ui::kNvramBackupToolButtonId).visible);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kNvramBackupToolButtonId), "Information Tool");
}

TEST_F(NvramBackupDialogTest, BackupShowsTheSerialAndTheToolGetsTheSavedFile) {
  Attach("LW");
  InstallTool();
  const std::string serial(reinterpret_cast<const char*>(Peek(66, 10).data()), 10);
  auto dialog = Open();
  ui.QueueFile(folder / "board.bin");
  dialog->Click(ui::kNvramBackupButtonId);
  EXPECT_EQ(dialog->GetDlgItemText(ui::kNvramBackupSerialId), serial);
  const auto save = ui.Calls(ui::UiCallKind::SaveFile);
  ASSERT_EQ(save.size(), 1u);
  EXPECT_EQ(save[0].text, serial + "_20260106093005.bin | All Files (*.*)|*.*||");
  EXPECT_EQ(std::filesystem::file_size(folder / "board.bin"), 65560u);
  dialog->Click(ui::kNvramBackupToolButtonId);
  EXPECT_EQ(Started(), std::vector{tool_ + " " + (folder / "board.bin")});
  EXPECT_TRUE(dialog->IsEnded());
}

TEST_F(NvramBackupDialogTest, WithoutABackupTheToolBrowsesAndAFailedStartIsSaid) {
  InstallTool();
  auto dialog = Open();
  ui.SetStartProcessFailure("No such file or directory");
  dialog->Click(ui::kNvramBackupToolButtonId);
  EXPECT_EQ(Started(), std::vector{tool_ + " browse"});
  const auto boxes = ui.Calls(ui::UiCallKind::MessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "No such file or directory");
  EXPECT_EQ(boxes[1].text, ui::kCannotStartTool);
  EXPECT_EQ(boxes[1].style & ui::kIconMask, unsigned{ui::kIconError});
  EXPECT_TRUE(dialog->IsEnded());
}

TEST_F(NvramBackupDialogTest, WithoutAPrinterNothingIsRead) {
  auto dialog = Open();
  dialog->Click(ui::kNvramBackupButtonId);
  EXPECT_EQ(Shown(), std::vector{Message(90000001)});
  EXPECT_TRUE(ui.Calls(ui::UiCallKind::SaveFile).empty());
  EXPECT_FALSE(dialog->IsEnded());
}

}  // namespace
