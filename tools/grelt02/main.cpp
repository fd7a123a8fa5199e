// grelt02: the desktop service program.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <iostream>

#include "app/grelt02_app.h"
#include "app/startup.h"
#include "gui/qt_ui_services.h"
#include "gui/screenshots.h"
#include "platform/paths.h"
#include "settings/app_settings.h"
#include "vprinter/virtual_printer.h"

int main(int argc, char** argv) {
  CLI::App options{"The desktop service program for the printer series."};
  std::string programFolder;
  std::string screenshots;
  options.add_option("--program-folder", programFolder,
                     "Program folder to work on (default: the folder of this executable)");
  options.add_option("--screenshots", screenshots,
                     "Draw every dialog offscreen into PNG files in this folder, then exit");
  try {
    options.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return options.exit(error);
  }
  platform::SetProgramFolder(programFolder);

  if (!screenshots.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const settings::AppSettings settings = settings::LoadSettings(platform::GetProgramFolder());
  gui::QtUiServices services(app::SharedFonts(settings)[1]);

  if (!screenshots.empty()) {
    const std::vector<std::string> files = gui::RenderScreenshots(screenshots, services, settings);
    for (const std::string& file : files) std::cout << file << '\n';
    if (files.empty())
      std::cerr << "grelt02: no screenshot could be written to " << screenshots << '\n';
    return files.empty() ? 1 : 0;
  }
  // Start-up, then the start screen; closing it ends the program. Virtual printers attached to
  // this program folder are reachable like USB printers.
  vprinter::RegisterVirtualPrinters();
  app::CGrelt02App application_object(services, platform::GetProgramFolder());
  application_object.InitInstance();
  return 0;
}
