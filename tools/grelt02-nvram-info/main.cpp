// grelt02-nvram-info: the printer-data information tool. Shows what a technician checks in an
// NVRAM image before it is restored onto a new main board: serial number, backup date,
// destination bytes and flags, exchange stamp, the blocks that are all 0xFF, and every byte.
// "browse" instead of a file asks for one; --json prints the same facts for scripts.

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QFileDialog>
#include <iostream>

#include "gui/focus_frame.h"
#include "gui/program_icon.h"
#include "gui/runtime_folder.h"
#include "image_report.h"
#include "info_window.h"

int main(int argc, char** argv) {
  CLI::App options{"Shows what an NVRAM image file holds before it is restored."};
  std::string file;
  bool json = false;
  std::string screenshot;
  options.add_option("FILE", file, "The image file, or \"browse\" to choose one")->required();
  options.add_flag("--json", json, "Print the facts as JSON instead of opening a window");
  options.add_option("--screenshot", screenshot,
                     "Draw the window offscreen into this PNG, then exit");
  try {
    options.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return options.exit(error);
  }
  const bool windowless = json || !screenshot.empty();
  if (windowless && file == "browse") {
    std::cerr << "grelt02-nvram-info: name the file: there is no window to choose it in\n";
    return 2;
  }
  if (!screenshot.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::optional<QApplication> application;
  if (!json) {
    gui::EnsureRuntimeFolder();
    application.emplace(argc, argv);
    gui::ShowKeyboardFocus(*application);
    gui::InstallProgramIcon(QCoreApplication::applicationDirPath().toStdString());
  }
  if (file == "browse") {
    file = QFileDialog::getOpenFileName(nullptr, nvram_info::kTitle, {}, "All Files (*)")
               .toStdString();
    if (file.empty()) return 0;
  }
  std::vector<std::uint8_t> image;
  const auto summary = nvram_files::SummariseImageFile(file, &image);
  if (!summary) {
    std::cerr << "grelt02-nvram-info: cannot read " << file << '\n';
    return 2;
  }
  if (json) {
    std::cout << nvram_info::ReportJson(file, *summary).dump(2) << '\n';
    return 0;
  }
  nvram_info::InfoWindow window(file, *summary, image);
  if (!screenshot.empty()) {
    window.show();
    return window.grab().save(QString::fromStdString(screenshot)) ? 0 : 1;
  }
  window.exec();
  return 0;
}
