#pragma once
// The application object: start-up, then the start screen as the program's main window; the
// program ends when the start screen closes.

#include <memory>
#include <string>

#include "app/startup.h"
#include "driver/device_directory.h"
#include "operations/service_operations.h"
#include "ui/dialog.h"
#include "ui_services/ui_services.h"

namespace app {

// The main-menu functions whose dialog is the main service dialog.
inline constexpr int kServiceMenuFunctions[3] = {90020, 90030, 90040};

class CGrelt02App {
public:
  CGrelt02App(ui::UiServices& ui, std::string programFolder,
              platform::Clock& clock = platform::DefaultClock());

  // Runs start-up and the modal start screen; false when it closes, as the program then ends.
  bool InitInstance();

  // The dialog of a main-menu function, or nullptr when the program has none for it.
  std::unique_ptr<ui::CDialog> MakeFunctionDialog(int functionId, const std::string& title);

  const AppState& State() const { return state_; }

private:
  ui::UiServices& ui_;
  std::string programFolder_;
  platform::Clock& clock_;
  AppState state_;
  operations::OperationTable operations_;
};

}  // namespace app
