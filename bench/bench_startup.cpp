// Start-up to the start screen, offscreen: the settings, port map, language and parameter files,
// fonts and folders read as the program starts, then the start screen built and shown. The Qt
// application object is made once, before, as the program makes it once.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>

#include "app/startup.h"
#include "gui/dialog_view.h"
#include "gui/qt_ui_services.h"
#include "gui/runtime_folder.h"
#include "ui/start_screen.h"

namespace {

// A copy of the shipped program folder, so that start-up may write beside it.
std::string ProgramFolder() {
  namespace fs = std::filesystem;
  static const std::string folder = [] {
    const fs::path path = fs::temp_directory_path() / "grelt-bench-startup";
    fs::remove_all(path);
    fs::copy(GRELT_DATA_DIR, path, fs::copy_options::recursive);
    return path.string();
  }();
  return folder;
}

void BM_StartupToStartScreen(benchmark::State& state) {
  gui::QtUiServices services(ui::FontSpec{});
  for (auto _ : state) {
    app::AppState started = app::RunStartup(ProgramFolder(), services);
    ui::CSvcStartup start(services, started.environment->folders.program, nullptr);
    start.Create();
    gui::DialogWindow window(start);
    window.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.isVisible());
  }
}
BENCHMARK(BM_StartupToStartScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  gui::EnsureRuntimeFolder();
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(ProgramFolder());
  return 0;
}
