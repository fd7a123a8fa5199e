// grelt02: the desktop service program.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <iostream>

#include "app/grelt02_app.h"
#include "app/startup.h"
#include "gui/focus_frame.h"
#include "gui/program_icon.h"
#include "gui/qt_ui_services.h"
#include "gui/runtime_folder.h"
#include "gui/screenshots.h"
#include "operations/service_operations.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/user_folder.h"
#include "settings/app_settings.h"
#include "vprinter/attachment.h"
#include "vprinter/virtual_printer.h"

namespace {

// The screenshots show the main service dialog with values read from a virtual printer of model
// "LW" that lives only for the drawing, in a scratch folder; three more printers beside it fill
// the start screen's printer strip.
int DrawScreenshots(const std::string& folder, gui::QtUiServices& services,
                    const settings::AppSettings& settings) {
  constexpr int kPort = 11;
  QTemporaryDir scratch;
  platform::Registry registry(platform::Registry::DefaultRoot(scratch.path().toStdString()));
  driver::DeviceDirectory devices(registry);
  vprinter::RegisterVirtualPrinters();
  std::string error;
  const auto printer =
      vprinter::AttachVirtualPrinter(devices, scratch.path().toStdString(), "LW", "screenshots",
                                     kPort, platform::DefaultClock(), &error);
  if (!printer) {
    std::cerr << "grelt02: cannot attach the screenshots' printer: " << error << '\n';
    return 1;
  }
  int port = kPort;
  for (const char* model : {"MW", "NN", "LN"}) {
    if (!vprinter::AttachVirtualPrinter(devices, scratch.path().toStdString(), model,
                                        std::string("screenshots-") + model, ++port,
                                        platform::DefaultClock(), &error))
      std::cerr << "grelt02: cannot attach a printer beside it: " << error << '\n';
  }
  // Its option unit's attachment sensor reads off, then on once set, so that the sensor check
  // goes on to ask for the temperature.
  if (const auto unit = vprinter::VirtualPrinter::Open(printer->folder, platform::DefaultClock()))
    unit->ChangeUnit([](vprinter::UnitState& u) { u.lamp = "off,on"; });
  settings::AppSettings printerSettings = settings;
  printerSettings.pnInterface.count = 1;
  printerSettings.pnInterface.values[0] = kPort;
  const operations::OperationTable operations = operations::ServiceOperations();
  // The runs drawn write their own rows into the service record: they go into a scratch copy of
  // drive c:, never into the record of this program folder.
  operations::ServiceFolders folders =
      operations::ServiceFolders::Of(platform::GetProgramFolder(), settings.strProfile);
  const std::string scratchDrive = platform::JoinPath(scratch.path().toStdString(), "drive_c");
  std::error_code copyError;
  std::filesystem::copy(folders.drive, scratchDrive, std::filesystem::copy_options::recursive,
                        copyError);
  folders.csv = scratchDrive + folders.csv.substr(folders.drive.size());
  folders.drive = scratchDrive;
  platform::EnsureDirectory(folders.csv);
  const operations::ServiceEnvironment environment(
      printerSettings, std::move(folders), platform::DefaultClock(), services, nullptr, devices);
  const ui::ServiceContext context{environment, operations};
  const std::vector<std::string> files =
      gui::RenderScreenshots(folder, services, settings, context);
  for (const std::string& file : files) std::cout << file << '\n';
  if (files.empty()) std::cerr << "grelt02: no screenshot could be written to " << folder << '\n';
  driver::DeviceDirectory::ForgetConnections();
  return files.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::TreatFileSizeLimitAsFullDisk();
  CLI::App options{"The desktop service program for the printer series."};
  options.set_version_flag("--version", "grelt02 " GRELT_VERSION);
  std::string programFolder;
  std::string screenshots;
  options.add_option("--program-folder", programFolder,
                     "Program folder to work on (default: the folder of this executable; an "
                     "installed program works on its copy in $XDG_DATA_HOME/grelt02)");
  options.add_option("--screenshots", screenshots,
                     "Draw every dialog offscreen into PNG files in this folder, then exit");
  try {
    options.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return options.exit(error);
  }
  if (!programFolder.empty() && !std::filesystem::is_directory(programFolder)) {
    std::cerr << "grelt02: the program folder does not exist: " << programFolder << '\n';
    return 2;
  }
  platform::SetProgramFolder(programFolder);
  if (std::string problem; programFolder.empty() && !platform::UseUserProgramFolder(&problem)) {
    std::cerr << "grelt02: cannot prepare the user's program folder: " << problem << '\n';
    return 2;
  }

  if (!screenshots.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  gui::EnsureRuntimeFolder();
  QApplication application(argc, argv);
  gui::ShowKeyboardFocus(application);
  std::vector<std::string> problems;
  const settings::AppSettings settings =
      settings::LoadSettings(platform::GetProgramFolder(), &problems);
  for (const std::string& problem : problems) std::cerr << "grelt02: " << problem << '\n';
  gui::QtUiServices services(app::SharedFonts(settings)[1]);
  if (!gui::InstallProgramIcon(platform::GetProgramFolder()))
    std::cerr << "grelt02: no program icon " << gui::kProgramIconFile << " in the program folder\n";

  if (!screenshots.empty()) {
    // Nobody answers while the pictures are drawn: what would wait is drawn beside them.
    services.SetUnattended(gui::QtUiServices::DrawInto(screenshots));
    return DrawScreenshots(screenshots, services, settings);
  }
  // Start-up, then the start screen; closing it ends the program. Virtual printers attached to
  // this program folder are reachable like USB printers.
  vprinter::RegisterVirtualPrinters();
  app::CGrelt02App application_object(services, platform::GetProgramFolder());
  application_object.InitInstance();
  return 0;
}
