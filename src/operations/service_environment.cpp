#include "operations/service_environment.h"

#include "driver/cwin_grelt_drv.h"
#include "platform/paths.h"

namespace operations {

ServiceFolders ServiceFolders::Of(const std::string& programFolder, const std::string& profile) {
  return {programFolder, platform::ServiceFolder(programFolder),
          platform::PrintFileFolder(programFolder), platform::CsvFolder(programFolder, profile),
          platform::DriveCFolder(programFolder)};
}

ServiceEnvironment::ServiceEnvironment(const settings::AppSettings& settings,
                                       ServiceFolders folders, platform::Clock& clock,
                                       ui::UiServices& ui, printer::PortMap* portMap,
                                       driver::DeviceDirectory& devices, int lpdPort)
    : settings(settings),
      folders(std::move(folders)),
      clock(clock),
      messages(ui),
      ui(messages),
      portMap(portMap),
      devices(devices),
      catalogue(messages, this->folders.service),
      versionText(catalogue.ReadMenuKey(menu::kFuncDataFile, "Main", "Version")),
      lpdPort(lpdPort),
      hostName(platform::HostName()) {}

std::unique_ptr<driver::GreltDriver> ServiceEnvironment::MakeDriver() const {
  return std::make_unique<driver::CWinGreltDrv>(devices);
}

int ServiceEnvironment::ConfiguredPort() const {
  if (const int chosen = chosenPort_.load(); chosen != 0) return chosen;
  return settings.pnInterface.count > 0 ? settings.pnInterface.values[0] : 0;
}

}  // namespace operations
