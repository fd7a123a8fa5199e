#include "app/grelt02_app.h"

#include <algorithm>

#include "operations/board_exchange.h"
#include "operations/file_transfer.h"
#include "ui/bin_print_dialog.h"
#include "ui/firmware_update_dialog.h"
#include "ui/nvram_backup_dialog.h"
#include "ui/start_screen.h"
#include "ui/svc_dlg_main.h"

namespace app {

CGrelt02App::CGrelt02App(ui::UiServices& ui, std::string programFolder, platform::Clock& clock)
    : ui_(ui),
      programFolder_(std::move(programFolder)),
      clock_(clock),
      operations_(operations::ServiceOperations()) {}

bool CGrelt02App::InitInstance() {
  state_ = RunStartup(programFolder_, ui_, clock_);
  ui::CSvcStartup start(
      ui_, state_.environment->folders.program,
      [this](int functionId, const std::string& title) {
        return MakeFunctionDialog(functionId, title);
      },
      state_.environment.get());
  ui_.RunModal(start);
  return false;
}

std::unique_ptr<ui::CDialog> CGrelt02App::MakeFunctionDialog(int functionId,
                                                             const std::string& title) {
  if (functionId == operations::kBackupUtilityFunction)
    return std::make_unique<ui::CSvcDlgNvramBackup>(ui_, *state_.environment);
  if (functionId == operations::kFirmwareFunction)
    return std::make_unique<ui::CSvc_FW_Update>(ui_, *state_.environment, title, nullptr);
  if (functionId == operations::kPrintFileFunction)
    return std::make_unique<ui::CSvcDlgBinPrint>(ui_, *state_.environment);
  const auto* end = std::end(kServiceMenuFunctions);
  if (std::find(std::begin(kServiceMenuFunctions), end, functionId) == end) return nullptr;
  return std::make_unique<ui::CSvcDlgMain>(
      ui_, ui::ServiceContext{*state_.environment, operations_}, title, functionId);
}

}  // namespace app
