#pragma once
// The configured printer of a program folder, opened as a service operation opens it, for the
// commands that work on a printer.

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "driver/cwin_grelt_drv.h"
#include "driver/nvram_map.h"
#include "encoder/raster_commands.h"
#include "json_output.h"
#include "menu/menu_files.h"
#include "patterns/print_header.h"
#include "platform/paths.h"
#include "printer/port_map.h"
#include "printer/printer_link.h"
#include "settings/app_settings.h"
#include "ui/scripted_ui_services.h"
#include "vprinter/virtual_printer.h"

namespace cli {

// The printer information the pattern headers carry, read from the printer as an operation
// gathers it; false when a read fails.
inline bool ReadPrintHeader(printer::CPrinterLink& link, const std::string& firmware,
                            const std::string& machineNo, patterns::PrintHeaderInfo& header) {
  header.MachineNo = machineNo;
  header.FirmwareVersion = firmware;
  std::uint8_t blackInk = 0;
  if (!link.ReadPrdString(driver::nvram::kSerialNumber, driver::nvram::kSerialLength,
                          header.SerialNo) ||
      !link.ReadHeadId(header.HeadId, 1) ||
      !link.ReadPrdNvram(driver::nvram::kBlackInkKind, blackInk)) {
    return false;
  }
  header.BlackInkKind = blackInk == 1 ? "Matte Black" : "Photo Black";
  return true;
}

// The version text the main window shows, from the service menu files of a program folder.
inline std::string ReadProgramVersion(ui::UiServices& ui, const std::string& programFolder) {
  return menu::MenuFiles(ui, platform::ServiceFolder(programFolder))
      .ReadMenuKey(menu::kFuncDataFile, "Main", "Version");
}

// The printer the settings name (or --port), opened and identified as an operation opens it.
class Session {
public:
  explicit Session(int port)
      : folder_(platform::GetProgramFolder()),
        settings_(settings::LoadSettings(folder_)),
        registry_(platform::Registry::DefaultRoot(folder_)),
        directory_(registry_),
        portMap_(folder_, registry_, platform::DefaultClock()) {
    // Nobody stands at the printer: questions are answered with Cancel, and shown on stderr.
    ui_.SetDeclineByDefault(true);
    ui_.SetObserver(ProgressOnStderr());
    vprinter::RegisterVirtualPrinters();
    portMap_.LoadAtStartup();
    link_ = std::make_unique<printer::CPrinterLink>(
        printer::LinkEnvironment{settings_, ui_, platform::DefaultClock(), &portMap_},
        std::make_unique<driver::CWinGreltDrv>(directory_));
    port_ =
        port >= 0 ? port : (settings_.pnInterface.count > 0 ? settings_.pnInterface.values[0] : 0);
  }
  ~Session() {
    if (link_) link_->Close();
    PrintShownTexts(ui_);
  }

  // Opens the port and selects the model; throws when either fails.
  void Open() {
    // Text bands are printed as 2-bit raster in the text colour, as every operation run sets.
    encoder::TXSetInfo(*link_, 2, 0);
    if (!link_->Open(port_)) Fail("cannot open printer port " + std::to_string(port_));
    if (!link_->ReadRomVersion(firmware_)) Fail("cannot read the firmware version");
    if (!link_->SetModel(firmware_.substr(0, 2))) {
      throw std::runtime_error("the printer is an unknown model: " + firmware_.substr(0, 2));
    }
  }
  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error(what + " (error " + std::to_string(link_->LastError()) + ")");
  }

  printer::CPrinterLink& Link() { return *link_; }
  printer::PortMap& Ports() { return portMap_; }
  driver::DeviceDirectory& Directory() { return directory_; }
  const std::string& Folder() const { return folder_; }
  platform::Registry& Registry() { return registry_; }
  const settings::AppSettings& Settings() const { return settings_; }
  ui::ScriptedUiServices& Ui() { return ui_; }
  patterns::PrintHeaderInfo PrintHeader(const std::string& machineNo) {
    patterns::PrintHeaderInfo header;
    if (!ReadPrintHeader(*link_, firmware_, machineNo, header))
      Fail("cannot read the printer information");
    return header;
  }
  std::string ProgramVersion() { return ReadProgramVersion(ui_, folder_); }
  Json Identity() const {
    return {{"port", port_}, {"model", firmware_.substr(0, 2)}, {"firmware", firmware_}};
  }

private:
  std::string folder_;
  settings::AppSettings settings_;
  platform::Registry registry_;
  driver::DeviceDirectory directory_;
  printer::PortMap portMap_;
  ui::ScriptedUiServices ui_;
  std::unique_ptr<printer::CPrinterLink> link_;
  int port_ = 0;
  std::string firmware_;
};

// The --port option of the commands that open a printer.
// The --port option of the commands that open a printer: one of the USB printer ports 11 to 14.
inline void AddPortOption(CLI::App& command, int& port) {
  command
      .add_option("--port", port,
                  "USB printer port 11 to 14 (default: the first value of pnInterface)")
      ->check(CLI::Validator(
          [](const std::string& text) -> std::string {
            const bool usb = text.size() == 2 && text >= "11" && text <= "14";
            return usb ? "" : "not a USB printer port: " + text + " (the ports are 11 to 14)";
          },
          "11..14"));
}

}  // namespace cli
