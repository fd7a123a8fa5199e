#pragma once
// A virtual printer plugged into a scratch registry, on a fake clock: what tests of operations
// and measurements run against.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/cwin_grelt_drv.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "settings/app_settings.h"
#include "support/temp_folder.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/attachment.h"
#include "vprinter/virtual_printer.h"

namespace testing_support {

// A command the program sent that the printer does not know fails the test that sent it.
inline void ExpectOnlyKnownCommands(const std::shared_ptr<driver::PrinterDevice>& device) {
  if (device == nullptr) return;
  for (const std::string& unknown :
       std::static_pointer_cast<vprinter::VirtualPrinter>(device)->UnknownCommands())
    ADD_FAILURE() << "the virtual printer does not know the command " << unknown;
}

class VirtualPrinterBench {
public:
  static constexpr int kPort = 7;

  VirtualPrinterBench() : registry(folder / "Registry", clock), directory(registry) {
    vprinter::RegisterVirtualPrinters(clock);
    settings.pnInterface.count = 1;
    settings.pnInterface.values[0] = kPort;
  }
  ~VirtualPrinterBench() {
    if (!info.folder.empty()) ExpectOnlyKnownCommands(directory.FindByLink(info.attachment.link));
    driver::DeviceDirectory::ForgetConnections();
  }

  // Plugs in a printer of the model at kPort; false (with the reason in error) when it fails.
  bool AttachPrinter(const std::string& model, std::string* error) {
    const auto attached = vprinter::AttachVirtualPrinter(directory, folder.Path(), model,
                                                         "vp" + model, kPort, clock, error);
    if (attached) info = *attached;
    return attached.has_value();
  }
  std::shared_ptr<vprinter::VirtualPrinter> Printer() {
    return std::static_pointer_cast<vprinter::VirtualPrinter>(
        directory.FindByLink(info.attachment.link));
  }
  std::unique_ptr<driver::GreltDriver> MakeDriver() {
    return std::make_unique<driver::CWinGreltDrv>(directory);
  }

  TempFolder folder;
  platform::FakeClock clock;
  platform::Registry registry;
  driver::DeviceDirectory directory;
  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  vprinter::VirtualPrinterInfo info;
};

}  // namespace testing_support
