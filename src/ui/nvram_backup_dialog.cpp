#include "ui/nvram_backup_dialog.h"

#include <filesystem>

#include "operations/board_exchange.h"

namespace ui {

DialogTemplate NvramBackupTemplate() {
  using K = ControlKind;
  return {kNvramBackupTemplate,
          "Service NVRAM Backup Utility",
          240,
          110,
          {
              {kNvramBackupLabelId, K::Static, "", {10, 8, 220, 30}},
              {kNvramBackupSerialId, K::Edit, "", {10, 44, 120, 14}, kReadOnly},
              {kNvramBackupButtonId, K::Button, "Backup", {140, 44, 90, 14}, kDefaultButton},
              {kNvramBackupToolButtonId, K::Button, "Information Tool", {10, 86, 120, 14}},
              {IDCANCEL, K::Button, "Close", {180, 86, 50, 14}},
          }};
}

CSvcDlgNvramBackup::CSvcDlgNvramBackup(UiServices& ui,
                                       const operations::ServiceEnvironment& environment)
    : CDialog(kNvramBackupTemplate, ui), environment_(environment) {
  OnCommand(kNvramBackupButtonId, &CSvcDlgNvramBackup::OnBackup);
  OnCommand(kNvramBackupToolButtonId, &CSvcDlgNvramBackup::OnTool);
}

bool CSvcDlgNvramBackup::OnInitDialog() {
  CDialog::OnInitDialog();
  const menu::MenuFiles& files = environment_.catalogue;
  const int function = operations::kBackupUtilityFunction;
  const menu::FunctionPageText texts = files.ReadFunctionPageText(function);
  SetWindowText(texts.text[0]);
  SetDlgItemText(kNvramBackupLabelId, texts.text[1]);
  progressText_ = texts.text[2];
  SetDlgItemText(kNvramBackupButtonId, texts.button[0]);
  SetDlgItemText(IDCANCEL, texts.button[2]);
  const std::string section = std::to_string(function);
  // ".." is resolved by name, as the system the INI files were written for does, so the tool
  // is found whether or not the drive folder exists yet.
  tool_ = std::filesystem::path(environment_.folders.drive +
                                files.ReadMenuKey(menu::kFuncDataFile, section, "InfoViewInstPath") +
                                files.ReadMenuKey(menu::kFuncDataFile, section, "InfoViewExeName"))
              .lexically_normal()
              .string();
  std::error_code error;
  const bool toolThere = std::filesystem::is_regular_file(tool_, error);
  ShowItem(kNvramBackupToolButtonId, toolThere);
  if (toolThere) SetDlgItemText(kNvramBackupToolButtonId, texts.button[1]);
  return true;
}

void CSvcDlgNvramBackup::OnBackup() {
  const operations::UtilityBackupResult result =
      operations::RunUtilityBackup(environment_, progressText_);
  SetDlgItemText(kNvramBackupSerialId, result.serialNumber);
  if (!result.savedPath.empty()) lastSaved_ = result.savedPath;
}

// The tool gets the file saved in this dialog, or "browse" to ask for one; the utility ends
// either way.
void CSvcDlgNvramBackup::OnTool() {
  std::string systemText;
  if (!Services().StartProcess(tool_, {lastSaved_.empty() ? "browse" : lastSaved_}, &systemText)) {
    Services().MessageBox(systemText, kApplicationTitle, kOk | kIconError);
    Services().MessageBox(kCannotStartTool, kApplicationTitle, kOk | kIconError);
  }
  EndDialog(IDCANCEL);
}

}  // namespace ui
