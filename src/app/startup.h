#pragma once
// The application object's start-up: everything the program treats as global is prepared here,
// before the start screen opens. No printer session is opened at start-up.

#include <array>
#include <memory>
#include <string>

#include "driver/device_directory.h"
#include "operations/service_environment.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "printer/port_map.h"
#include "record/line_sender.h"

#include "settings/app_settings.h"
#include "ui/font_spec.h"

namespace app {

// The application's registry key, under which the platform keeps the program's own profile.
inline constexpr const char* kRegistryKey = "KORVU";

// The four shared fonts: 1 the temperature page, 2 the message dialog, 3 the head-ID page,
// 4 the NVRAM backup dialog.
std::array<ui::FontSpec, 4> SharedFonts(const settings::AppSettings& settings);

// Global state prepared by start-up, read-only afterwards except for the port map, which every
// printer session refreshes.
struct AppState {
  std::string registryKey;
  settings::AppSettings settings;
  std::unique_ptr<platform::Registry> registry;
  std::unique_ptr<printer::PortMap> portMap;
  std::array<ui::FontSpec, 4> fonts;
  std::unique_ptr<driver::DeviceDirectory> devices;  // the USB printers of the registry
  // What every service run and every dialog reaches the world through.
  std::unique_ptr<operations::ServiceEnvironment> environment;
  // With a line database: sends the recorded runs on a thread of its own, woken by each run and
  // once at start-up. Goes before the environment it is told through.
  std::unique_ptr<record::BackgroundSender> lineSender;
};

// Runs the start-up steps up to, not including, the start screen: registry key, main settings
// file, USB port map, language file, shared fonts, machine parameter file, program folders; then
// builds the service environment over them, with `ui` as the user interface, and the line
// database's sender where the settings name one.
// Missing files fall back to defaults (a missing USB.ini leaves the map empty until the first
// printer session writes it); a folder that cannot be created is left for later writes to report.
AppState RunStartup(const std::string& programFolder, ui::UiServices& ui,
                    platform::Clock& clock = platform::DefaultClock());

}  // namespace app
