// How long the menu files take to read: the tree (400 nodes, 2000 keys) and a page's texts.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "menu/menu_files.h"
#include "ui/scripted_ui_services.h"

namespace {

std::string WriteTree(int nodes) {
  const auto folder = std::filesystem::temp_directory_path() / "grelt-bench-menu";
  std::filesystem::create_directories(folder);
  std::ofstream tree(folder / "ext_treedata.ini");
  for (int i = 0; i < nodes; ++i) {
    tree << "[N" << i << "]\nParent=" << (i == 0 ? "TOP" : "N0") << "\nTitle=Item " << i
         << "\nExText=Explanation of item " << i << "\\nsecond line\nExecFunc=" << 10000 + i
         << "\n";
  }
  std::ofstream func(folder / "ext_funcdata.ini");
  func << "[10230]\n";
  for (int i = 1; i <= 16; ++i)
    func << "Button" << i << "=B" << i << "\nText" << i << "=T" << i << "\n";
  return folder.string();
}

void BM_ReadTree(benchmark::State& state) {
  const std::string folder = WriteTree(static_cast<int>(state.range(0)));
  ui::ScriptedUiServices ui;
  menu::MenuFiles files(ui, folder);
  for (auto _ : state) benchmark::DoNotOptimize(files.ReadTree());
}
BENCHMARK(BM_ReadTree)->Arg(100)->Arg(400);

void BM_ReadFunctionPageText(benchmark::State& state) {
  const std::string folder = WriteTree(400);
  ui::ScriptedUiServices ui;
  const menu::MenuFiles files(ui, folder);
  for (auto _ : state) benchmark::DoNotOptimize(files.ReadFunctionPageText(10230));
}
BENCHMARK(BM_ReadFunctionPageText);

}  // namespace
