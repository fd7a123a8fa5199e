#include "app/grelt02_app.h"

#include <algorithm>

#include "driver/cwin_grelt_drv.h"
#include "ui/start_screen.h"
#include "ui/svc_dlg_main.h"

namespace app {

CGrelt02App::CGrelt02App(ui::UiServices& ui, std::string programFolder, platform::Clock& clock)
    : ui_(ui),
      programFolder_(std::move(programFolder)),
      clock_(clock),
      operations_(operations::ServiceOperations()) {}

bool CGrelt02App::InitInstance() {
  state_ = RunStartup(programFolder_, clock_);
  devices_ = std::make_unique<driver::DeviceDirectory>(*state_.registry);
  ui::CSvcStartup start(ui_, state_.programFolder,
                        [this](int functionId, const std::string& title) {
                          return MakeFunctionDialog(functionId, title);
                        });
  ui_.RunModal(start);
  return false;
}

std::unique_ptr<ui::CDialog> CGrelt02App::MakeFunctionDialog(int functionId,
                                                             const std::string& title) {
  const auto* end = std::end(kServiceMenuFunctions);
  if (std::find(std::begin(kServiceMenuFunctions), end, functionId) == end) return nullptr;
  ui::ServiceContext context{
      state_.programFolder, state_.settings, clock_, state_.portMap.get(), operations_, [this] {
        return std::make_unique<driver::CWinGreltDrv>(*devices_);
      }};
  return std::make_unique<ui::CSvcDlgMain>(ui_, std::move(context), title, functionId);
}

}  // namespace app
