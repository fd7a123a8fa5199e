#include "app/startup.h"

#include "platform/paths.h"

namespace app {
namespace {

std::uint8_t LowByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

ui::FontSpec FromLanguageFile(const settings::AppSettings& s, int height, int weight) {
  return ui::FontSpec{height,
                      weight,
                      LowByte(s.nItalic),
                      LowByte(s.nCharSet),
                      LowByte(s.nOutPrecision),
                      LowByte(s.nClipPrecision),
                      LowByte(s.nQuality),
                      LowByte(s.nPitchAndFamily),
                      s.strFaceName};
}

}  // namespace

std::array<ui::FontSpec, 4> SharedFonts(const settings::AppSettings& s) {
  return {
      ui::FontSpec{-19, 400, 0, 0, 2, 1, 0, 2, "Verdana"},
      FromLanguageFile(s, s.nHeight, s.nWeight),
      FromLanguageFile(s, 0, 700),
      FromLanguageFile(s, 14, 700),
  };
}

AppState RunStartup(const std::string& programFolder, ui::UiServices& ui, platform::Clock& clock) {
  AppState state;
  state.registryKey = kRegistryKey;
  // The main settings file first: it names the profile that the other two files live under.
  std::vector<std::string> problems;
  state.settings = settings::LoadSettings(programFolder, &problems);
  state.registry =
      std::make_unique<platform::Registry>(platform::Registry::DefaultRoot(programFolder), clock);
  state.portMap = std::make_unique<printer::PortMap>(programFolder, *state.registry, clock);
  state.portMap->LoadAtStartup();
  state.fonts = SharedFonts(state.settings);

  // Drive c: is always there on the original platform; here it is a folder that may not exist.
  const std::string drive = platform::DriveCFolder(programFolder);
  platform::EnsureDirectory(drive);
  platform::EnsureDirectory(platform::JoinPath(drive, state.settings.strProfile));
  operations::ServiceFolders folders =
      operations::ServiceFolders::Of(programFolder, state.settings.strProfile);
  platform::EnsureDirectory(folders.csv);
  state.devices = std::make_unique<driver::DeviceDirectory>(*state.registry);
  state.environment = std::make_unique<operations::ServiceEnvironment>(
      state.settings, std::move(folders), clock, ui, state.portMap.get(), *state.devices,
      printer::LpdPortFromEnvironment());
  state.environment->startupProblems = std::move(problems);
  if (state.environment->LineDatabaseOn()) {
    state.lineSender = std::make_unique<record::BackgroundSender>(
        state.environment->folders.csv, state.settings.strLineDatabase, record::LineTimeouts{});
    state.environment->sendRecord = [sender = state.lineSender.get()] { sender->Poke(); };
    state.lineSender->Poke();  // what waited since the last time the program ran
  }
  return state;
}

}  // namespace app
