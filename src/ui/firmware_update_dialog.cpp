#include "ui/firmware_update_dialog.h"

#include <filesystem>

#include "operations/dispatcher.h"
#include "operations/file_transfer.h"
#include "operations/shared_steps.h"
#include "platform/paths.h"
#include "ui/data_exchange.h"

namespace ui {

DialogTemplate FirmwareUpdateTemplate() {
  using K = ControlKind;
  return {kFirmwareTemplate,
          "Service Firmware Update",
          260,
          82,
          {
              {kFirmwareLabelId, K::Static, "Firmware Update", {10, 10, 240, 10}},
              {kFirmwarePathId, K::Edit, "", {10, 24, 188, 14}},
              {kFirmwareReferenceId, K::Button, "Reference", {202, 24, 48, 14}},
              {IDOK, K::Button, "Update", {140, 58, 50, 14}, kDefaultButton},
              {IDCANCEL, K::Button, "EXIT", {200, 58, 50, 14}},
          }};
}

CSvc_FW_Update::CSvc_FW_Update(UiServices& ui, const operations::ServiceEnvironment& environment,
                               std::string title, int* resultFlag)
    : CDialog(kFirmwareTemplate, ui),
      environment_(environment),
      title_(std::move(title)),
      resultFlag_(resultFlag),
      task_(ui) {
  OnCommand(kFirmwareReferenceId, &CSvc_FW_Update::OnReference);
  OnCommand(IDOK, &CSvc_FW_Update::OnUpdate);
}

bool CSvc_FW_Update::OnInitDialog() {
  CDialog::OnInitDialog();
  const menu::FunctionPageText texts =
      environment_.catalogue.ReadFunctionPageText(operations::kFirmwareFunction);
  SetWindowText(title_);
  SetDlgItemText(kFirmwareLabelId, texts.text[1]);
  SetDlgItemText(kFirmwareReferenceId, texts.button[1]);
  SetDlgItemText(IDOK, texts.button[2]);
  SetDlgItemText(IDCANCEL, texts.button[3]);
  return true;
}

void CSvc_FW_Update::DoDataExchange(DataExchange& dx) { dx.Text(kFirmwarePathId, path_); }

void CSvc_FW_Update::OnReference() {
  std::string chosen;
  ChooseFile(Services(),
             {"*", "*.UPG", "All Files (*.UPG) | *.UPG",
              platform::FirmwareFolder(environment_.folders.program)},
             chosen);
  if (chosen.empty()) return;
  if (!operations::SendableFile(chosen)) {
    environment_.catalogue.ShowMessageById(operations::kMsgFileProblem, kOk);
    return;
  }
  std::error_code error;
  path_ = chosen;
  size_ = std::filesystem::file_size(chosen, error);
  UpdateData(false);
}

// The dialog stays open after every attempt; while the printer works only the window lives.
void CSvc_FW_Update::OnUpdate() {
  UpdateData(true);
  EnableButtons(false);
  task_.Start(
      [this, path = path_] {
        auto link = operations::MakeRunLink(environment_);
        if (operations::UpdateFirmware(environment_, *link, path) && resultFlag_ != nullptr)
          *resultFlag_ = 1;
      },
      [this] { EnableButtons(true); });
}

void CSvc_FW_Update::OnCancel() {
  if (!task_.Running()) CDialog::OnCancel();
}

void CSvc_FW_Update::EnableButtons(bool enable) {
  for (const int id : {kFirmwareReferenceId, IDOK, IDCANCEL}) EnableItem(id, enable);
}

int RunFirmwareUpdate(UiServices& ui, const operations::ServiceEnvironment& environment,
                      const std::string& title, int* resultFlag) {
  CSvc_FW_Update dialog(ui, environment, title, resultFlag);
  return ui.RunModal(dialog);
}

}  // namespace ui
